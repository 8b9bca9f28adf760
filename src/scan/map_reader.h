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

// Reads the map `name` in `folder` into `*summary`. Fails with the map's path
// and the system's reason when the file cannot be opened or read.
platform::Status ReadMapSummary(const platform::FolderFiles& folder, const platform::NativeString& name,
                                const TerrainSelection& selection, MapSummary* summary);

// The most maps a scan reads at once. Reading a map is mostly waiting: on the
// disk when the folder is not in the page cache (the first scan of a folder),
// on the kernel when it is. Opening and reading 20,000 maps on two cores,
// against one at a time: cached, 2 to 32 threads take 0.52 of the time and 48
// or more lose some of that (0.6); uncached, 2 threads take 0.63, 8 take 0.32
// and 32 take 0.26, with little gained beyond. 32 is the most that costs the
// cached case nothing. A scan starts with one thread a core and adds threads
// only while reads wait for the disk, as more threads than cores also make
// the report wait for whichever is held up.
inline constexpr int kReadsInFlight = 32;

// Receives the summary of map `index` of a list; a failure stops the reading.
using TakeMap = std::function<platform::Status(std::size_t index, const MapSummary& summary)>;

// Reads the maps `names` of `folder`, up to `reads_in_flight` at once (1: one
// after another on the caller's thread), and hands each summary to `take` in
// list order, one at a time, on any of its threads. Returns the first failure
// in list order, of a read or of `take`; no thread of its own is left running
// and no map open when it returns.
platform::Status ReadMapsInOrder(const platform::FolderFiles& folder, std::span<const platform::NativeString> names,
                                 const TerrainSelection& selection, int reads_in_flight, const TakeMap& take);

}  // namespace scan
