#include "scan/map_reader.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace scan {

MapSummary SummarizeMap(std::span<const unsigned char> bytes, const TerrainSelection& selection) {
  // Bit c of `present` is set when known code c occurs; bit 17 stands for any
  // unknown code. Taken as unsigned 16-bit, negative codes are above 16 too.
  // Four accumulators keep the loop free of one long dependency chain, and the
  // selection is applied once at the end: the same result as record by record.
  constexpr unsigned kUnknownBit = kTerrainCodeCount;
  static constexpr auto kBits = [] {
    std::array<std::uint32_t, kTerrainCodeCount + 1> bits{};
    for (unsigned i = 0; i < bits.size(); ++i) bits[i] = 1u << i;
    return bits;
  }();
  const auto bit = [](const unsigned char* record) {
    const unsigned code = static_cast<std::uint16_t>(DecodeInt16LE(record));
    return kBits[code < kTerrainCodeCount ? code : kUnknownBit];
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

namespace {

// Reads a map's terrain bytes with `read` and summarizes them.
template <typename Read>
platform::Status Summarize(Read read, const TerrainSelection& selection, MapSummary* summary) {
  std::array<unsigned char, kMapTerrainEnd> buffer;
  std::size_t length = 0;
  platform::Status status = read(buffer.data(), buffer.size(), &length);
  if (status.ok()) *summary = SummarizeMap(std::span<const unsigned char>(buffer.data(), length), selection);
  return status;
}

}  // namespace

platform::Status ReadMapSummary(const platform::NativeString& path, const TerrainSelection& selection,
                                MapSummary* summary) {
  return Summarize([&](unsigned char* buffer, std::size_t capacity,
                       std::size_t* length) { return platform::ReadFileHead(path, buffer, capacity, length); },
                   selection, summary);
}

platform::Status ReadMapSummary(const platform::FolderFiles& folder, const platform::NativeString& name,
                                const TerrainSelection& selection, MapSummary* summary) {
  return Summarize([&](unsigned char* buffer, std::size_t capacity,
                       std::size_t* length) { return folder.ReadFileHead(name, buffer, capacity, length); },
                   selection, summary);
}

namespace {

// The maps of a list read ahead of a caller that takes them in list order:
// threads read them a batch at a time, at most a window of batches ahead.
class MapReads {
 public:
  MapReads(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
           const TerrainSelection& selection, int threads);
  // Stops the reading and joins the threads.
  ~MapReads();
  MapReads(const MapReads&) = delete;
  MapReads& operator=(const MapReads&) = delete;

  // False when no thread could be started.
  bool started() const { return !threads_.empty(); }
  // The result of the next map in list order; at most once per name.
  platform::Status Next(MapSummary* summary);

 private:
  // Threads take maps a few at a time, so that they and the caller meet once
  // for every few maps rather than for each.
  static constexpr std::size_t kBatchSize = 8;
  struct Batch {
    struct Map {
      MapSummary summary;
      platform::Status status;
    };
    std::array<Map, kBatchSize> maps;
    bool ready = false;  // read, and not yet taken by the caller
  };

  void ReadAhead();

  const platform::FolderFiles& folder_;
  const std::span<const platform::NativeString> names_;
  const TerrainSelection selection_;
  const std::size_t batches_;
  std::size_t next_ = 0;  // the map the caller takes next

  std::mutex mutex_;  // guards the members below, and each batch while it is not ready
  std::condition_variable batch_ready_;  // the caller waits for the batch it takes next
  std::condition_variable batch_free_;   // threads wait for room in the window
  std::vector<Batch> window_;            // batch b goes into window_[b % window_.size()]
  std::size_t batches_taken_ = 0;        // by the caller, in order
  std::size_t batches_claimed_ = 0;      // by threads, to read
  bool stopping_ = false;
  bool caller_waiting_ = false;
  int threads_waiting_ = 0;
  std::vector<std::thread> threads_;
};

MapReads::MapReads(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
                   const TerrainSelection& selection, int threads)
    : folder_(folder),
      names_(names),
      selection_(selection),
      batches_((names.size() + kBatchSize - 1) / kBatchSize) {
  const std::size_t count = std::min(static_cast<std::size_t>(threads), batches_);
  // Two batches a thread: one being read, one ready for the caller.
  window_.resize(2 * count);
  threads_.reserve(count);
  try {
    while (threads_.size() < count) threads_.emplace_back([this] { ReadAhead(); });
  } catch (const std::system_error&) {
    // The system starts no more threads: those started do the reading.
  }
}

MapReads::~MapReads() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  batch_free_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

platform::Status MapReads::Next(MapSummary* summary) {
  const std::size_t index = next_++;
  Batch& batch = window_[index / kBatchSize % window_.size()];
  if (index % kBatchSize == 0) {
    std::unique_lock lock(mutex_);
    if (!batch.ready) {
      caller_waiting_ = true;
      batch_ready_.wait(lock, [&] { return batch.ready; });
      caller_waiting_ = false;
    }
  }
  Batch::Map& map = batch.maps[index % kBatchSize];
  *summary = map.summary;
  platform::Status status = std::move(map.status);
  if (index % kBatchSize == kBatchSize - 1 || next_ == names_.size()) {
    std::lock_guard lock(mutex_);
    batch.ready = false;
    ++batches_taken_;
    // Threads waiting for room go on once half the window is free, all at
    // once, rather than one for each batch taken.
    if (threads_waiting_ > 0 && batches_claimed_ - batches_taken_ <= window_.size() / 2) batch_free_.notify_all();
  }
  return status;
}

// A thread's loop: take the next batch once the window has room for it, read
// its maps without holding the lock, and mark it ready.
void MapReads::ReadAhead() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const auto can_claim = [&] {
      return stopping_ || batches_claimed_ == batches_ || batches_claimed_ < batches_taken_ + window_.size();
    };
    if (!can_claim()) {
      ++threads_waiting_;
      batch_free_.wait(lock, can_claim);
      --threads_waiting_;
    }
    if (stopping_ || batches_claimed_ == batches_) return;
    const std::size_t number = batches_claimed_++;
    Batch& batch = window_[number % window_.size()];
    lock.unlock();
    const std::size_t end = std::min(names_.size(), (number + 1) * kBatchSize);
    for (std::size_t index = number * kBatchSize; index < end; ++index) {
      Batch::Map& map = batch.maps[index % kBatchSize];
      map.status = ReadMapSummary(folder_, names_[index], selection_, &map.summary);
    }
    lock.lock();
    batch.ready = true;
    if (caller_waiting_ && number == batches_taken_) batch_ready_.notify_one();
  }
}

}  // namespace

platform::Status ReadMapsInOrder(
    const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
    const TerrainSelection& selection, int reads_in_flight,
    const std::function<platform::Status(std::size_t index, const MapSummary& summary)>& take) {
  std::optional<MapReads> reads;
  if (reads_in_flight > 1 && !names.empty()) reads.emplace(folder, names, selection, reads_in_flight);
  const bool ahead = reads && reads->started();
  for (std::size_t index = 0; index < names.size(); ++index) {
    MapSummary summary;
    platform::Status status = ahead ? reads->Next(&summary) : ReadMapSummary(folder, names[index], selection, &summary);
    if (status.ok()) status = take(index, summary);
    if (!status.ok()) return status;
  }
  return platform::Status::Ok();
}

}  // namespace scan
