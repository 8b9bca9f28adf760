#include "scan/report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "map_writer.h"
#include "summary.h"
#include "scan/text.h"

namespace scan {
namespace {

using platform::FromUtf8;

std::optional<std::string> Line(const std::string& name, const MapSummary& summary) {
  return FormatMapLine(FromUtf8(name), summary, TerrainCatalogue());
}

TEST(Text, TrimsSpacesOnlyAndWritesNumbersWithASignPosition) {
  EXPECT_EQ(TrimSpaces(std::string("  D:\\Reports  ")), "D:\\Reports");
  for (const std::string kept : {"\t a b \t", "\r\n a \n", "\v\f"}) EXPECT_EQ(TrimSpaces(kept), kept);
  EXPECT_EQ(TrimSpaces(std::string("    ")), "");
  EXPECT_EQ(SignedNumberText(0), " 0");
  EXPECT_EQ(SignedNumberText(40000), " 40000");
  EXPECT_EQ(SignedNumberText(-7), "-7");
}

TEST(Names, TerrainAndStockMapNamesAreTheGamesOwn) {
  const char* const terrain[] = {"Clear ", "City",       "Airfield",         "Forest",        "Bocage", "Hill",
                                 "Mountain", "Sand",     "Swamp",            "Ocean",         "River",  "Fortification",
                                 "Port",   "Stream",     "Escarpment",       "Impassable River", "Rough"};
  const TerrainCatalogue catalogue;
  for (int code = 0; code < kTerrainCodeCount; ++code) EXPECT_EQ(catalogue.TerrainName(code), terrain[code]);
  std::istringstream stock(
      "ARRACT CAEN CHIR CIECHANO DESSAU DUNKIRK GREECE KANEV KISHINEV KLIN KONRAD LENIN LILLEHAM MADRID MALTA METZ "
      "NORDWIND NOVGOROD OAKRIDGE PROKHORV PTOBRUK RATOBRUK SALERNO SAVANNAH SEDAN SEELOW SOUMUSSA STLO TOBRUK "
      "VIIPURI VOLOKOL WINDSOR");
  std::vector<std::string> expected;
  for (std::string name; stock >> name;) expected.push_back(name + ".MAP");
  EXPECT_EQ(std::vector<std::string>(kStockMapList.begin(), kStockMapList.end()), expected);
  for (const std::string& name : expected) EXPECT_TRUE(IsStockMap(FromUtf8(name))) << name;
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
