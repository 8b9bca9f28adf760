#include "scan/map_reader.h"

#include <array>

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

}  // namespace scan
