#include "scan/ordered_reads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "threads_and_files.h"

namespace scan {
namespace {

using namespace std::chrono_literals;

// Item 0 fails once the other threads have read all that the slots allow and
// wait for room: every one of them must wake and return, reading nothing more.
TEST(RunInOrder, AFailureWakesEveryWaitingThreadAndEndsTheReading) {
  for (const int threads : {4, 32}) {
    SCOPED_TRACE(threads);
    const std::string threads_and_files = tools::ThreadsAndFiles();
    const std::size_t slots = SlotCount(std::size_t(1) << 30, threads);
    std::atomic<std::size_t> reads = 0;
    const ItemCall read = [&](std::size_t index, std::size_t) {
      // A slow first item in each of the first batches adds a thread.
      if (index % 8 == 0 && index / 8 <= std::size_t(threads)) std::this_thread::sleep_for(30ms);
      if (index != 0) {
        ++reads;
        return platform::Status::Ok();
      }
      for (std::size_t last = SIZE_MAX; last != reads; std::this_thread::sleep_for(100ms)) last = reads;
      return platform::Status::Error("failed");
    };
    const ItemCall take = [](std::size_t, std::size_t) { return platform::Status::Ok(); };
    // On a thread of its own, so that threads left waiting fail the test rather than hang it.
    std::promise<platform::Status> result;
    std::future<platform::Status> ended = result.get_future();
    std::thread run([&, count = 10 * slots, result = std::move(result)]() mutable {
      result.set_value(RunInOrder(count, threads, read, take));
    });
    const bool returned = ended.wait_for(60s) == std::future_status::ready;
    returned ? run.join() : run.detach();
    ASSERT_TRUE(returned) << "threads left waiting";
    EXPECT_EQ(ended.get().message(), "failed");
    EXPECT_LE(reads, slots);
    EXPECT_EQ(tools::ThreadsAndFiles(), threads_and_files);
  }
}

}  // namespace
}  // namespace scan
