// Map decoding from any bytes: the summary must equal a plain, record-by-record
// reading of the same bytes. The first three bytes choose the selection.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "scan/map_reader.h"

namespace {

scan::MapSummary Reference(const std::uint8_t* data, std::size_t size, const scan::TerrainSelection& selection) {
  std::set<int> codes;
  for (int record = 0; record < 1800; ++record) {
    const std::size_t at = 10 + 7 * static_cast<std::size_t>(record);
    if (at + 1 >= size) break;
    // The high byte carries the sign: -1 is FF FF, -32768 is 00 80.
    codes.insert(data[at] + 256 * static_cast<std::int8_t>(data[at + 1]));
  }
  scan::MapSummary summary;
  for (int code : codes) {
    if (code < 0 || code > 16) {
      summary.unknown = true;
    } else if (selection.IsSelected(code)) {
      summary.found.set(static_cast<std::size_t>(code));
    }
  }
  return summary;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  scan::TerrainSelection selection;
  const std::uint32_t bits = data[0] | (data[1] << 8) | (static_cast<std::uint32_t>(data[2]) << 16);
  for (int code = 0; code < 17; ++code) selection.SetSelected(code, (bits >> code) & 1u);
  data += 3;
  size -= 3;
  if (scan::SummarizeMap({data, size}, selection) != Reference(data, size, selection)) std::abort();
  return 0;
}
