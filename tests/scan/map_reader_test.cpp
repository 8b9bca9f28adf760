#include "scan/map_reader.h"

#include <gtest/gtest.h>

#include "map_writer.h"
#include "summary.h"

namespace scan {
namespace {

std::span<const unsigned char> Span(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

MapSummary All(const std::string& bytes) { return SummarizeMap(Span(bytes), TerrainSelection::All()); }

TEST(MapSummary, OnlyZeroToSixteenAreKnownCodes) {
  EXPECT_EQ(All(tools::MapBytes({0})), Summary({0}, false));
  EXPECT_EQ(All(tools::MapBytes({16})), Summary({16}, false));
  for (int unknown : {-1, 17, 256, 32767, -32768}) {
    EXPECT_EQ(All(tools::MapBytes({5, unknown})), Summary({5}, true)) << unknown;
  }
}

TEST(MapSummary, FoundHoldsOnlySelectedCodes) {
  auto selection = TerrainSelection::All();
  selection.SetSelected(5, false);
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({5})), selection), Summary({}, false));
  auto some = TerrainSelection::None();
  some.SetSelected(3, true);
  some.SetSelected(16, true);
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({0, 3, 10, 99})), some), Summary({3}, true));
}

TEST(MapSummary, OnlyTheCodesOfTheRecordsCount) {
  for (std::uint32_t seed : {1u, 2u, 4000000000u}) {  // random header and record filler
    const std::string bytes = tools::MapBytes({1, 2, 14, 15}, seed);
    EXPECT_EQ(All(bytes), Summary({1, 2, 14, 15}, false));
    EXPECT_EQ(All(bytes + std::string(500, '\xFF')), Summary({1, 2, 14, 15}, false));  // -1s past the end
  }
  std::vector<int> codes(1800, 7);
  codes.back() = 40;  // the last record counts
  EXPECT_EQ(All(tools::MapBytes(codes)), Summary({7}, true));
}

TEST(MapSummary, ShortFilesCountOnlyWholeCodes) {
  const std::string bytes = tools::MapBytes({4, 300}, 9);
  EXPECT_EQ(All(""), Summary({}, false));
  EXPECT_EQ(All(bytes.substr(0, 11)), Summary({}, false));  // half a code
  EXPECT_EQ(All(bytes.substr(0, 12)), Summary({4}, false));
  EXPECT_EQ(All(bytes.substr(0, 18)), Summary({4}, false));  // half of 300
  EXPECT_EQ(All(bytes.substr(0, 19)), Summary({4}, true));
}

}  // namespace
}  // namespace scan
