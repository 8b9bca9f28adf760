#include "scan/report.h"

#include <gtest/gtest.h>

#include "map_writer.h"
#include "summary.h"

namespace scan {
namespace {

using platform::FromUtf8;

std::optional<std::string> Line(const std::string& name, const MapSummary& summary) {
  return FormatMapLine(FromUtf8(name), summary, TerrainCatalogue());
}

TEST(IsStockMap, IgnoresCaseAndSurroundingSpaces) {
  for (const char* name : {"ARRACT.MAP", "arract.map", "  Windsor.Map ", "VOLOKOL.MAP"}) {
    EXPECT_TRUE(IsStockMap(FromUtf8(name))) << name;
  }
  for (const char* name : {"ARRACT.MAP.MAP", "ARRACT", "\tARRACT.MAP", ""}) {
    EXPECT_FALSE(IsStockMap(FromUtf8(name))) << name;
  }
}

TEST(FormatMapLine, MatchesTheReferenceExamples) {
  EXPECT_EQ(Line("ARRACT.MAP", Summary({0, 1})), "* ARRACT.MAP            : Clear , City, ");
  EXPECT_EQ(Line("MYMAP.MAP", Summary({3}, true)), "  MYMAP.MAP             : Forest, Unknown Groundstyle found");
  EXPECT_EQ(Line("ABCDEFGHIJKLMNOPQRSTUV.MAP", Summary({5})), "ABCDEFGHIJKLMNOPQRSTUV.MAP: Hill, ");
}

TEST(FormatMapLine, ColumnHoldsUpToTwentyTwoCharacters) {
  const std::string name22 = "ABCDEFGHIJKLMNOPQR.MAP";
  EXPECT_EQ(Line(name22, Summary({16})), "  " + name22 + ": Rough, ");
  EXPECT_EQ(Line("X" + name22, Summary({16})), "X" + name22 + ": Rough, ");
  // 23 characters: no marker even for a stock map.
  EXPECT_EQ(Line("ARRACT.MAP" + std::string(13, ' '), Summary({16})), "ARRACT.MAP" + std::string(13, ' ') + ": Rough, ");
  // Leading spaces are part of the name; the stock test does not see them.
  EXPECT_EQ(Line(" klin.map", Summary({9})), "*  klin.map             : Ocean, ");
}

#ifndef _WIN32  // Windows counts UTF-16 units and writes the code page (see the Windows suite)
TEST(FormatMapLine, CountsCharactersNotBytes) {
  // 21 characters, 24 bytes in UTF-8: padded to the column by characters.
  const std::string name = "\xC3\x9C" "bung\xE2\x82\xAC" "ABCDEFGHIJK.MAP";
  EXPECT_EQ(Line(name, Summary({2})), "  " + name + " : Airfield, ");
  // A byte that is not UTF-8 counts as one character and is written as it is.
  const std::string raw = "\xFF" "ABCDEFGHIJKLMNOPQ.MAP";
  EXPECT_EQ(Line(raw, Summary({2})), "  " + raw + ": Airfield, ");
}
#endif

TEST(FormatMapLine, ListsSelectedTerrainInCodeOrderOnOneLineOrNothing) {
  EXPECT_EQ(Line("A.MAP", Summary({16, 0, 8, 15})),
            "  A.MAP                 : Clear , Swamp, Impassable River, Rough, ");
  EXPECT_EQ(Line("A.MAP", Summary({})), std::nullopt);
  EXPECT_EQ(Line("NEW\nLINE.MAP", Summary({}, true)), "  NEW?LINE.MAP          : Unknown Groundstyle found");
  EXPECT_EQ(Line("TAB\tCR\r.MAP", Summary({1})), "  TAB?CR?.MAP           : City, ");
  EXPECT_EQ(Line("DEL\x7F.MAP", Summary({1})), "  DEL?.MAP              : City, ");
}

TEST(ReportHeader, HasEightLinesWithTheCount) {
  EXPECT_EQ(ReportHeaderText(FromUtf8("/home/u/MAPS"), 3),
            "Number of *.MAP files in /home/u/MAPS :  3\r\n"
            "\r\n"
            "An '*' in front of a Mapname indicate that the map is a SSI-map.\r\n"
            "Only maps that contain groundstyles you search for, are listed.\r\n"
            "\r\n"
            "Mapname                 : Groundstyles found on map\r\n"
            "===================================================\r\n"
            "\r\n");
}

}  // namespace
}  // namespace scan
