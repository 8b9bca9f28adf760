#include "scan/map_reader.h"

#include <gtest/gtest.h>

#include <tuple>

#include "map_writer.h"
#include "summary.h"

namespace scan {
namespace {

std::span<const unsigned char> Span(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

MapSummary All(const std::string& bytes) { return SummarizeMap(Span(bytes), TerrainSelection::All()); }

TEST(MapSummary, HoldsTheSelectedCodesOfWholeRecordsAndWhetherAnyIsUnknown) {
  auto some = TerrainSelection::None();
  some.SetSelected(3, true);
  some.SetSelected(16, true);
  std::vector<int> codes(1800, 7);
  codes.back() = 40;  // the last record counts
  const std::string short_map = tools::MapBytes({4, 300}, 9);
  const auto all = TerrainSelection::All();
  const std::tuple<std::string, TerrainSelection, MapSummary> cases[] = {
      {tools::MapBytes({0}), all, Summary({0})},     {tools::MapBytes({16}), all, Summary({16})},
      {tools::MapBytes(codes), all, Summary({7}, true)},
      {tools::MapBytes({0, 3, 10, 99}), some, Summary({3}, true)},  // only selected codes are found
      {"", all, Summary({})},                        {short_map.substr(0, 11), all, Summary({})},  // half a code
      {short_map.substr(0, 12), all, Summary({4})},  {short_map.substr(0, 18), all, Summary({4})},  // half of 300
      {short_map.substr(0, 19), all, Summary({4}, true)}};
  for (const auto& [bytes, selection, summary] : cases) EXPECT_EQ(SummarizeMap(Span(bytes), selection), summary);
  for (int unknown : {-1, 17, 256, 32767, -32768}) {
    EXPECT_EQ(All(tools::MapBytes({5, unknown})), Summary({5}, true)) << unknown;
  }
  for (std::uint32_t seed : {1u, 2u, 4000000000u}) {  // random header and record filler
    const std::string bytes = tools::MapBytes({1, 2, 14, 15}, seed);
    EXPECT_EQ(All(bytes), Summary({1, 2, 14, 15}, false));
    EXPECT_EQ(All(bytes + std::string(500, '\xFF')), Summary({1, 2, 14, 15}, false));  // -1s past the end
  }
}

}  // namespace
}  // namespace scan
