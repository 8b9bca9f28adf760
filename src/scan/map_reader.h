// Reading a map file's terrain: 1,800 records of 7 bytes after a 10-byte
// header, each record starting with a little-endian signed 16-bit terrain code.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/platform.h"
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

// Reads the map file at `path` into `*summary`. Fails with the path and the
// system's reason when the file cannot be opened or read.
platform::Status ReadMapSummary(const platform::NativeString& path, const TerrainSelection& selection,
                                MapSummary* summary);
// The same for the map `name` in `folder`.
platform::Status ReadMapSummary(const platform::FolderFiles& folder, const platform::NativeString& name,
                                const TerrainSelection& selection, MapSummary* summary);

// How many maps a scan reads at once. Opening and reading a map is mostly
// waiting: for the disk when the maps are not cached (a scan of a new folder),
// for the kernel when they are. On two cores, 2 threads already take a cached
// read to about 0.6 of one thread's time and more threads keep that up to 64;
// uncached, 2 threads give 0.6, 8 give 0.3 and 32 about 0.25, with little
// gained beyond. 32 serves both.
inline constexpr int kReadsInFlight = 32;

// Reads the maps `names` of `folder`, up to `reads_in_flight` at once on
// threads of its own (1: one after another on the caller's thread), and hands
// each summary to `take` in list order on the caller's thread. Stops at the
// first failure in list order, of a read or of `take`, and returns it; all its
// threads are joined and no map is open when it returns.
platform::Status ReadMapsInOrder(
    const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
    const TerrainSelection& selection, int reads_in_flight,
    const std::function<platform::Status(std::size_t index, const MapSummary& summary)>& take);

}  // namespace scan
