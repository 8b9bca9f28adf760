#include "scan/map_reader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "scan/ordered_reads.h"

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

platform::Status ReadMapsInOrder(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
                                 const TerrainSelection& selection, int reads_in_flight, const TakeMap& take) {
  // Each slot holds a map's reading between the thread that read it and `take`.
  struct MapRead {
    platform::Status status;
    MapSummary summary;
  };
  std::vector<MapRead> reads(SlotCount(names.size(), reads_in_flight));
  // Each reading thread reads its maps through a reader of its own, made at its first batch.
  std::vector<std::unique_ptr<platform::FileHeadReader>> readers(static_cast<std::size_t>(std::max(reads_in_flight, 1)));
  std::vector<std::vector<std::size_t>> lengths(readers.size());
  const BatchCall read_batch = [&](std::size_t first, std::span<platform::Status> statuses, std::size_t first_slot,
                                   std::size_t worker) {
    std::unique_ptr<platform::FileHeadReader>& reader = readers[worker];
    if (!reader) reader = std::make_unique<platform::FileHeadReader>(folder, kMapTerrainEnd);
    std::vector<std::size_t>& length = lengths[worker];
    length.resize(statuses.size());
    reader->Read(names.subspan(first, statuses.size()), statuses, length);
    for (std::size_t i = 0; i < statuses.size(); ++i) {
      MapRead& read = reads[first_slot + i];
      read.summary = MapSummary();
      if (statuses[i].ok()) read.summary = SummarizeMap(std::span(reader->Head(i), length[i]), selection);
      read.status = std::move(statuses[i]);
      statuses[i] = platform::Status::Ok();
    }
  };
  return RunInOrder(names.size(), reads_in_flight, read_batch,
                    [&](std::size_t index, std::size_t slot) { return take(index, reads[slot].status, reads[slot].summary); });
}

}  // namespace scan
