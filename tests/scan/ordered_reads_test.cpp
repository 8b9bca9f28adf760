#include "scan/ordered_reads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "threads_and_files.h"

namespace scan {
namespace {

using namespace std::chrono_literals;

// Item 0 fails, as it is read or as it is taken, once the other threads have
// read all that the window of results allows and wait for room: every one of
// them must wake and return, reading nothing more.
TEST(RunInOrder, AFailureWakesEveryWaitingThreadAndEndsTheReading) {
  for (const bool in_take : {false, true}) {
    for (const int threads : {4, 32}) {
      SCOPED_TRACE(std::to_string(threads) + (in_take ? " threads, failing take" : " threads, failing read"));
      const std::string threads_and_files = tools::ThreadsAndFiles();
      const std::size_t window = SlotCount(SIZE_MAX, threads);
      const auto reads = std::make_shared<std::atomic<std::size_t>>(0);
      const auto fail_when_all_wait = [reads] {
        for (std::size_t last = SIZE_MAX; last != *reads; std::this_thread::sleep_for(100ms)) last = *reads;
        return platform::Status::Error("failed");
      };
      const ItemCall read = [=](std::size_t index, std::size_t) {
        if (index == 0 && !in_take) return fail_when_all_wait();
        // A slow first item of each of the first batches adds a thread.
        if (index % 8 == 0 && index / 8 <= std::size_t(threads)) std::this_thread::sleep_for(30ms);
        return ++*reads, platform::Status::Ok();
      };
      const ItemCall take = [=](std::size_t index, std::size_t) {
        return index == 0 && in_take ? fail_when_all_wait() : platform::Status::Ok();
      };
      // On a thread of its own, so that threads left waiting fail the test rather than hang it.
      std::promise<platform::Status> result;
      std::future<platform::Status> ended = result.get_future();
      std::thread run([=, result = std::move(result)]() mutable {
        result.set_value(RunInOrder(10 * window, threads, read, take));
      });
      const bool returned = ended.wait_for(60s) == std::future_status::ready;
      returned ? run.join() : run.detach();
      ASSERT_TRUE(returned) << "threads left waiting";
      EXPECT_EQ(ended.get().message(), "failed");
      EXPECT_LE(*reads, window);
      EXPECT_EQ(tools::ThreadsAndFiles(), threads_and_files);
    }
  }
}

}  // namespace
}  // namespace scan
