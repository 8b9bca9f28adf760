#include "scan/map_reader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace scan {

MapSummary SummarizeMap(std::span<const unsigned char> bytes, const TerrainSelection& selection) {
  // Bit c of `present` is set when known code c occurs; bit 17 stands for any
  // unknown code. Taken as unsigned 16-bit, negative codes are above 16 too.
  // Each code's bit comes from a table of all 65,536 (256 KiB, of which a map
  // touches a page or two): a fifth faster than comparing each code with 16.
  // Four accumulators keep the loop free of one long dependency chain, and the
  // selection is applied once at the end: the same result as record by record.
  constexpr unsigned kUnknownBit = kTerrainCodeCount;
  static const auto* const kBitOfCode = [] {
    static std::array<std::uint32_t, 0x10000> bits;
    for (unsigned code = 0; code < bits.size(); ++code) {
      bits[code] = 1u << (code < kTerrainCodeCount ? code : kUnknownBit);
    }
    return &bits;
  }();
  const auto bit = [](const unsigned char* record) {
    return (*kBitOfCode)[static_cast<std::uint16_t>(DecodeInt16LE(record))];
  };
  const std::size_t end = std::min(bytes.size(), kMapTerrainEnd);
  const unsigned char* data = bytes.data();
  std::uint32_t present[4] = {0, 0, 0, 0};
  std::size_t offset = kMapHeaderSize;
  for (; offset + 3 * kMapRecordSize + 2 <= end; offset += 4 * kMapRecordSize) {
    present[0] |= bit(data + offset);
    present[1] |= bit(data + offset + kMapRecordSize);
    present[2] |= bit(data + offset + 2 * kMapRecordSize);
    present[3] |= bit(data + offset + 3 * kMapRecordSize);
  }
  for (; offset + 2 <= end; offset += kMapRecordSize) present[0] |= bit(data + offset);
  const std::uint32_t all = present[0] | present[1] | present[2] | present[3];

  MapSummary summary;
  for (int code = 0; code < kTerrainCodeCount; ++code) {
    summary.found.set(static_cast<std::size_t>(code), ((all >> code) & 1u) != 0 && selection.IsSelected(code));
  }
  summary.unknown = ((all >> kUnknownBit) & 1u) != 0;
  return summary;
}

platform::Status ReadMapSummary(const platform::FolderFiles& folder, const platform::NativeString& name,
                                const TerrainSelection& selection, MapSummary* summary) {
  std::array<unsigned char, kMapTerrainEnd> buffer;
  std::size_t length = 0;
  platform::Status status = folder.ReadFileHead(name, buffer.data(), buffer.size(), &length);
  if (status.ok()) *summary = SummarizeMap(std::span<const unsigned char>(buffer.data(), length), selection);
  return status;
}

namespace {

// Threads that read the maps of a list and hand their summaries to `take` in
// list order. Each thread takes the next batch of maps, at most a window of
// batches ahead of the last one handed over; whichever thread finds the next
// batch in list order read hands it, and any that follow it read, to `take`
// (one thread at a time), so no thread waits on another to write.
class OrderedReads {
 public:
  OrderedReads(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
               const TerrainSelection& selection, const TakeMap& take, std::size_t threads)
      : folder_(folder),
        names_(names),
        selection_(selection),
        take_(take),
        batches_((names.size() + kBatchSize - 1) / kBatchSize),
        threads_(std::min(threads, batches_)),
        window_(kWindowPerThread * threads_) {}

  // Reads and hands over every map, with threads of its own besides the
  // caller's; returns the first failure in list order.
  platform::Status Run() {
    {
      std::lock_guard lock(mutex_);
      const std::size_t first = std::min<std::size_t>(threads_, std::max(2u, std::thread::hardware_concurrency()));
      while (helpers_.size() + 1 < first) {
        if (!StartHelper()) break;
      }
    }
    Work();
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
  // Threads take maps a few at a time, so that they meet once for every few
  // maps rather than for each.
  static constexpr std::size_t kBatchSize = 8;
  // With more threads than cores, a thread may wait a few milliseconds for a
  // core in the middle of a batch, and nothing after that batch can be handed
  // over until it is back; meanwhile the others read on. A window of 16
  // batches a thread (4,096 maps and about 230 KiB for 32 threads) lets them
  // read on through most such waits rather than stop.
  static constexpr std::size_t kWindowPerThread = 16;
  // Reading starts on as many threads as there are cores: with the maps in the
  // page cache, more only take turns. A batch that takes longer than this had
  // its thread wait, for the disk (or for a core), and another thread starts,
  // up to the most allowed. On Linux eight cached maps take about 50 us, eight
  // from the disk half a millisecond and more.
#ifdef _WIN32
  // Opening a cached map costs far more on Windows: under wine, where every
  // open, read and close waits on one server process, eight take 1 to 3 ms on
  // two cores, and more threads only queue at that server (20,000 cached maps:
  // 3.3 s on one thread, 4.0 s on 32, and a scan that grew to 32 threads on
  // the 250 us mark took 4.5 s). Here a batch counts as slow only past that,
  // as eight maps from a spinning disk are (tens of milliseconds).
  static constexpr std::chrono::microseconds kSlowBatch{20000};
#else
  static constexpr std::chrono::microseconds kSlowBatch{250};
#endif
  struct Batch {
    struct Map {
      MapSummary summary;
      platform::Status status;
    };
    std::array<Map, kBatchSize> maps;
    bool ready = false;  // read, and not yet handed over
  };

  // One thread's part: read batches while there are any and no failure; hand
  // over what is ready in order when no other thread is doing so.
  void Work() {
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
      for (std::size_t index = number * kBatchSize; index < End(number); ++index) {
        Batch::Map& map = batch.maps[index % kBatchSize];
        map.status = ReadMapSummary(folder_, names_[index], selection_, &map.summary);
      }
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
      helpers_.emplace_back([this] { Work(); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }

  // Hands the maps of batch `number` to `take_`, up to the first failure.
  platform::Status HandOver(std::size_t number, Batch& batch) {
    for (std::size_t index = number * kBatchSize; index < End(number); ++index) {
      Batch::Map& map = batch.maps[index % kBatchSize];
      if (!map.status.ok()) return std::move(map.status);
      if (platform::Status status = take_(index, map.summary); !status.ok()) return status;
    }
    return platform::Status::Ok();
  }

  std::size_t End(std::size_t number) const { return std::min(names_.size(), (number + 1) * kBatchSize); }

  const platform::FolderFiles& folder_;
  const std::span<const platform::NativeString> names_;
  const TerrainSelection selection_;
  const TakeMap& take_;
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

platform::Status ReadMapsInOrder(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
                                 const TerrainSelection& selection, int reads_in_flight, const TakeMap& take) {
  if (names.empty()) return platform::Status::Ok();
  if (reads_in_flight > 1) {
    return OrderedReads(folder, names, selection, take, static_cast<std::size_t>(reads_in_flight)).Run();
  }
  for (std::size_t index = 0; index < names.size(); ++index) {
    MapSummary summary;
    platform::Status status = ReadMapSummary(folder, names[index], selection, &summary);
    if (status.ok()) status = take(index, summary);
    if (!status.ok()) return status;
  }
  return platform::Status::Ok();
}

}  // namespace scan
