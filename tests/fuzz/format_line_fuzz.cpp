// Line formatting from any name and summary: never more than one line, and
// for names of up to 22 characters ": " starts at the 25th character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "scan/report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  scan::MapSummary summary;
  const std::uint32_t bits = data[0] | (data[1] << 8) | (static_cast<std::uint32_t>(data[2]) << 16);
  for (int code = 0; code < 17; ++code) summary.found.set(static_cast<std::size_t>(code), (bits >> code) & 1u);
  summary.unknown = (bits >> 17) & 1u;
  const platform::NativeString name(reinterpret_cast<const char*>(data + 3), size - 3);

  const auto line = scan::FormatMapLine(name, summary, scan::TerrainCatalogue());
  if (line.has_value() != (summary.found.any() || summary.unknown)) std::abort();
  if (!line) return 0;
  if (line->find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();

  const std::size_t characters = platform::CharacterCount(name);
  const std::string shown = scan::ReportName(name);
  if (characters <= scan::kMapNameWidth) {
    const std::size_t column = 2 + shown.size() + (scan::kMapNameWidth - characters);
    if (line->compare(0, 2, scan::IsStockMap(name) ? "* " : "  ") != 0) std::abort();
    if (line->compare(2, shown.size(), shown) != 0) std::abort();
    if (line->compare(column, 2, ": ") != 0) std::abort();
    if (platform::CharacterCount(line->substr(0, column)) != scan::kMapLineColumn) std::abort();
  } else if (line->compare(0, shown.size() + 2, shown + ": ") != 0) {
    std::abort();
  }
  return 0;
}
