#include "scan/ordered_reads.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace scan {

namespace {

// Threads take items a few at a time, so that they meet once for every few
// items rather than for each.
constexpr std::size_t kBatchSize = 8;
// With more threads than cores, a thread may wait a few milliseconds for a
// core in the middle of a batch, and nothing after that batch can be handed
// over until it is back; meanwhile the others read on. A window of 16
// batches a thread (4,096 maps for 32 threads) lets them read on through most
// such waits rather than stop.
constexpr std::size_t kWindowPerThread = 16;
// Reading starts on as many threads as there are cores, and at least two:
// with the maps in the page cache, more only take turns. A batch that takes
// longer than this had its thread wait, for the disk (or for a core), and
// another thread starts, up to the most allowed. On Linux eight cached maps
// take about 50 us, eight from the disk half a millisecond and more.
#ifdef _WIN32
// Opening a cached map costs far more on Windows: under wine, where every
// open, read and close waits on one server process, eight take 1 to 3 ms on
// two cores, and more threads only queue at that server (20,000 cached maps:
// 3.3 s on one thread, 4.0 s on 32, and a scan that grew to 32 threads on
// the 250 us mark took 4.5 s). Here a batch counts as slow only past that,
// as eight maps from a spinning disk are (tens of milliseconds).
constexpr std::chrono::microseconds kSlowBatch{20000};
#else
constexpr std::chrono::microseconds kSlowBatch{250};
#endif

std::size_t Batches(std::size_t count) { return count / kBatchSize + (count % kBatchSize != 0); }

// The threads RunInOrder uses at most, the caller's included.
std::size_t Threads(std::size_t count, int threads) {
  return std::min(static_cast<std::size_t>(std::max(threads, 1)), Batches(count));
}

// Threads that read the items of a list and hand them to `take` in list
// order. Each thread takes the next batch of items, at most a window of
// batches ahead of the last one handed over; whichever thread finds the next
// batch in list order read hands it, and any that follow it read, to `take`
// (one thread at a time), so no thread waits on another to hand over.
class OrderedReads {
 public:
  OrderedReads(std::size_t count, std::size_t threads, const BatchCall& read, const ItemCall& take)
      : count_(count),
        read_(read),
        take_(take),
        batches_(Batches(count)),
        threads_(threads),
        window_(kWindowPerThread * threads_) {}

  // Reads and hands over every item, with threads of its own besides the
  // caller's; returns the first failure in list order.
  platform::Status Run() {
    {
      std::lock_guard lock(mutex_);
      const std::size_t first = std::min<std::size_t>(threads_, std::max(2u, std::thread::hardware_concurrency()));
      while (helpers_.size() + 1 < first) {
        if (!StartHelper()) break;
      }
    }
    Work(0);
    std::vector<std::thread> helpers;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return done_; });
      helpers.swap(helpers_);
    }
    for (std::thread& helper : helpers) helper.join();
    return result_;
  }

 private:
  struct Batch {
    std::array<platform::Status, kBatchSize> statuses;
    bool ready = false;  // read, and not yet handed over
  };

  // One thread's part: read batches while there are any and no failure; hand
  // over what is ready in order when no other thread is doing so.
  void Work(std::size_t worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
      const auto can_claim = [&] { return done_ || claimed_ == batches_ || claimed_ < handed_ + window_.size(); };
      if (!can_claim()) {
        ++waiting_;
        changed_.wait(lock, can_claim);
        --waiting_;
      }
      if (done_ || claimed_ == batches_) return;
      const std::size_t number = claimed_++;
      Batch& batch = window_[number % window_.size()];
      lock.unlock();
      const auto start = std::chrono::steady_clock::now();
      const std::size_t first = number * kBatchSize;
      read_(first, std::span(batch.statuses).first(End(number) - first), Slot(first), worker);
      const bool slow = std::chrono::steady_clock::now() - start > kSlowBatch;
      lock.lock();
      if (slow && !done_ && claimed_ < batches_ && helpers_.size() + 1 < threads_) StartHelper();
      batch.ready = true;
      if (handing_) continue;  // the thread handing over takes this batch too
      handing_ = true;
      int freed = 0;
      while (!done_ && window_[handed_ % window_.size()].ready) {
        Batch& next = window_[handed_ % window_.size()];
        lock.unlock();
        const platform::Status status = HandOver(handed_, next);
        lock.lock();
        next.ready = false;
        ++handed_;
        ++freed;
        if (!status.ok()) result_ = status;
        done_ = !status.ok() || handed_ == batches_;
      }
      handing_ = false;
      if (done_) {
        changed_.notify_all();
      } else {
        // One waiting thread for each batch of room: waking them all would
        // only have most of them wait again.
        for (int i = 0; i < std::min(freed, waiting_); ++i) changed_.notify_one();
      }
    }
  }

  // Starts one more thread, under the lock; false when the system starts no more.
  bool StartHelper() {
    try {
      helpers_.emplace_back([this, worker = helpers_.size() + 1] { Work(worker); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }

  // Hands the items of batch `number` to `take_`, up to the first failure.
  platform::Status HandOver(std::size_t number, Batch& batch) {
    for (std::size_t index = number * kBatchSize; index < End(number); ++index) {
      platform::Status& status = batch.statuses[index % kBatchSize];
      if (!status.ok()) return std::move(status);
      if (platform::Status taken = take_(index, Slot(index)); !taken.ok()) return taken;
    }
    return platform::Status::Ok();
  }

  std::size_t End(std::size_t number) const { return std::min(count_, (number + 1) * kBatchSize); }
  std::size_t Slot(std::size_t index) const { return index % (window_.size() * kBatchSize); }

  const std::size_t count_;
  const BatchCall& read_;
  const ItemCall& take_;
  const std::size_t batches_;
  const std::size_t threads_;  // the most, the caller's included

  std::mutex mutex_;  // guards the members below, and each batch while it is not ready
  std::condition_variable changed_;  // room in the window, or the end
  std::vector<Batch> window_;        // batch b goes into window_[b % window_.size()]
  std::size_t claimed_ = 0;          // batches taken by threads to read
  std::size_t handed_ = 0;           // batches handed over, in order
  bool handing_ = false;             // a thread is handing batches over
  bool done_ = false;                // all handed over, or one failed
  int waiting_ = 0;                  // threads waiting for room
  platform::Status result_;
  std::vector<std::thread> helpers_;  // the threads besides the caller's
};

}  // namespace

std::size_t SlotCount(std::size_t count, int threads) {
  const std::size_t used = Threads(count, threads);
  return used <= 1 ? std::min<std::size_t>(count, 1) : std::min(count, kWindowPerThread * used * kBatchSize);
}

platform::Status RunInOrder(std::size_t count, int threads, const ItemCall& read, const ItemCall& take) {
  const BatchCall read_batch = [&](std::size_t first, std::span<platform::Status> statuses, std::size_t first_slot,
                                   std::size_t) {
    for (std::size_t i = 0; i < statuses.size(); ++i) statuses[i] = read(first + i, first_slot + i);
  };
  return RunInOrder(count, threads, read_batch, take);
}

platform::Status RunInOrder(std::size_t count, int threads, const BatchCall& read, const ItemCall& take) {
  const std::size_t used = Threads(count, threads);
  if (used > 1) return OrderedReads(count, used, read, take).Run();
  platform::Status status;
  for (std::size_t index = 0; index < count; ++index) {
    read(index, std::span(&status, 1), 0, 0);
    if (status.ok()) status = take(index, 0);
    if (!status.ok()) return status;
  }
  return platform::Status::Ok();
}

}  // namespace scan
