#include "scan/map_reader.h"

#include <gtest/gtest.h>

#include "map_writer.h"

namespace scan {
namespace {

std::span<const unsigned char> Span(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

MapSummary Summary(std::initializer_list<int> found, bool unknown) {
  MapSummary summary;
  for (int code : found) summary.found.set(static_cast<std::size_t>(code));
  summary.unknown = unknown;
  return summary;
}

TEST(TerrainCode, DecodesLittleEndianSigned) {
  const unsigned char bytes[] = {0x10, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0x01};
  EXPECT_EQ(DecodeInt16LE(bytes), 16);
  EXPECT_EQ(DecodeInt16LE(bytes + 2), -1);
  EXPECT_EQ(DecodeInt16LE(bytes + 4), -32768);
  EXPECT_EQ(DecodeInt16LE(bytes + 6), 32767);
  EXPECT_EQ(DecodeInt16LE(bytes + 8), 256);
}

TEST(TerrainCode, OnlyZeroToSixteenAreKnownInAMap) {
  const auto all = TerrainSelection::All();
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({0})), all), Summary({0}, false));
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({16})), all), Summary({16}, false));
  for (int unknown : {-1, 17, 256, 32767, -32768}) {
    SCOPED_TRACE(unknown);
    EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({unknown})), all), Summary({}, true));
    EXPECT_EQ(SummarizeMap(Span(tools::MapBytes({5, unknown})), all), Summary({5}, true));
  }
}

TEST(MapSummary, FoundHoldsOnlySelectedCodes) {
  const std::string hills = tools::MapBytes({5});
  auto selection = TerrainSelection::All();
  EXPECT_EQ(SummarizeMap(Span(hills), selection), Summary({5}, false));
  selection.SetSelected(5, false);
  EXPECT_EQ(SummarizeMap(Span(hills), selection), Summary({}, false));

  const std::string mixed = tools::MapBytes({0, 3, 10, 99});
  auto some = TerrainSelection::None();
  some.SetSelected(3, true);
  some.SetSelected(16, true);
  EXPECT_EQ(SummarizeMap(Span(mixed), some), Summary({3}, true));
  EXPECT_EQ(SummarizeMap(Span(mixed), TerrainSelection::None()), Summary({}, true));
}

TEST(MapSummary, HeaderFillerAndTrailingBytesAreIgnored) {
  const std::vector<int> codes = {1, 2, 14, 15};
  const MapSummary expected = Summary({1, 2, 14, 15}, false);
  for (std::uint32_t seed : {1u, 2u, 77u, 4000000000u}) {
    std::string bytes = tools::MapBytes(codes, seed);
    EXPECT_EQ(SummarizeMap(Span(bytes), TerrainSelection::All()), expected);
    bytes += std::string(500, '\xFF');  // codes of -1 past the last record
    EXPECT_EQ(SummarizeMap(Span(bytes), TerrainSelection::All()), expected);
  }
}

TEST(MapSummary, LastRecordCounts) {
  std::vector<int> codes(1800, 7);
  codes.back() = 12;
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes(codes)), TerrainSelection::All()), Summary({7, 12}, false));
  codes.back() = 40;
  EXPECT_EQ(SummarizeMap(Span(tools::MapBytes(codes)), TerrainSelection::All()), Summary({7}, true));
}

TEST(MapSummary, ShortFilesCountOnlyWholeCodes) {
  const std::string bytes = tools::MapBytes({4, 300}, 9);
  const auto all = TerrainSelection::All();
  EXPECT_EQ(SummarizeMap(Span(""), all), Summary({}, false));
  EXPECT_EQ(SummarizeMap(Span(bytes.substr(0, 10)), all), Summary({}, false));
  EXPECT_EQ(SummarizeMap(Span(bytes.substr(0, 11)), all), Summary({}, false));  // half a code
  EXPECT_EQ(SummarizeMap(Span(bytes.substr(0, 12)), all), Summary({4}, false));
  EXPECT_EQ(SummarizeMap(Span(bytes.substr(0, 18)), all), Summary({4}, false));  // half of 300
  EXPECT_EQ(SummarizeMap(Span(bytes.substr(0, 19)), all), Summary({4}, true));
}

TEST(ReadMapSummary, ReadsTheFileAndNamesItWhenItCannot) {
  tools::TempFolder folder;
  const auto path = folder.path() / "HILLS.MAP";
  tools::WriteFile(path, tools::MapBytes({5, 9}, 3) + "trailing bytes");
  MapSummary summary;
  ASSERT_TRUE(ReadMapSummary(path.native(), TerrainSelection::All(), &summary).ok());
  EXPECT_EQ(summary, Summary({5, 9}, false));

  tools::WriteFile(path, "");
  ASSERT_TRUE(ReadMapSummary(path.native(), TerrainSelection::All(), &summary).ok());
  EXPECT_EQ(summary, Summary({}, false));

  const auto missing = folder.path() / "GONE.MAP";
  const auto status = ReadMapSummary(missing.native(), TerrainSelection::All(), &summary);
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("cannot open \"" + missing.string() + "\": "), std::string::npos)
      << status.message();

  std::filesystem::create_directory(folder.path() / "DIR.MAP");
  const auto folder_status =
      ReadMapSummary((folder.path() / "DIR.MAP").native(), TerrainSelection::All(), &summary);
  ASSERT_FALSE(folder_status.ok());
  EXPECT_NE(folder_status.message().find("DIR.MAP"), std::string::npos);
}

}  // namespace
}  // namespace scan
