// Reading a map file's terrain: 1,800 records of 7 bytes after a 10-byte
// header, each record starting with a little-endian signed 16-bit terrain code.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/file_head.h"
#include "scan/terrain.h"

namespace scan {

inline constexpr std::size_t kMapHeaderSize = 10;
inline constexpr std::size_t kMapRecordSize = 7;
inline constexpr std::size_t kMapRecordCount = 1800;
// The bytes that hold the terrain: nothing past this offset is ever read.
inline constexpr std::size_t kMapTerrainEnd = kMapHeaderSize + kMapRecordSize * kMapRecordCount;

// What one map holds of interest.
struct MapSummary {
  std::bitset<kTerrainCodeCount> found;  // code occurs in the map and is selected
  bool unknown = false;                  // a record holds a code outside 0..16

  bool operator==(const MapSummary&) const = default;
};

// The signed 16-bit little-endian integer in bytes[0..1], on any host.
constexpr std::int16_t DecodeInt16LE(const unsigned char* bytes) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
}

// The summary of a map whose first bytes are `bytes` (shorter than a whole map
// when the file is). A record whose two code bytes are missing counts for nothing.
MapSummary SummarizeMap(std::span<const unsigned char> bytes, const TerrainSelection& selection);

// Reads the map `name` in `folder` into `*summary`. Fails with the map's path
// and the system's reason when the file cannot be opened or read.
platform::Status ReadMapSummary(const platform::FolderFiles& folder, const platform::NativeString& name,
                                const TerrainSelection& selection, MapSummary* summary);

// The most maps a scan reads at once: maps read from the disk gain up to about
// this many, and cached maps lose nothing to it (see the README's benchmark).
inline constexpr int kReadsInFlight = 32;

// Receives map `index`'s summary, or, when the map could not be read, the
// failure that says why (`summary` is then empty); a failure returned stops the reading.
using TakeMap =
    std::function<platform::Status(std::size_t index, const platform::Status& read, const MapSummary& summary)>;

// Reads the maps `names` of `folder`, up to `reads_in_flight` at once, as
// RunInOrder does (ordered_reads.h), and hands each map's summary, or why it
// could not be read, to `take` in list order. Returns the first failure that
// `take` returns; no map is left open when it returns.
platform::Status ReadMapsInOrder(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
                                 const TerrainSelection& selection, int reads_in_flight, const TakeMap& take);

}  // namespace scan
