#include "scan/report.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/paths.h"
#include "summary.h"

namespace scan {
namespace {

using platform::FromUtf8;

std::optional<std::string> Line(const std::string& name, const MapSummary& summary) {
  return FormatMapLine(FromUtf8(name), summary, TerrainCatalogue());
}

TEST(FormatMapLine, MarksStockMapsPadsNamesOfUpTo22CharactersAndListsSelectedTerrainInOrder) {
  const std::string name22 = "ABCDEFGHIJKLMNOPQR.MAP", name23 = "ARRACT.MAP" + std::string(13, ' ');
  const std::string sep(1, static_cast<char>(platform::kSeparator));
  const std::tuple<std::string, MapSummary, std::optional<std::string>> cases[] = {
      {"ARRACT.MAP", Summary({0, 1}), "* ARRACT.MAP            : Clear , City, "},
      {name22, Summary({16}), "  " + name22 + ": Rough, "},
      {"X" + name22, Summary({16}), "X" + name22 + ": Rough, "},
      {name23, Summary({16}), name23 + ": Rough, "},                 // no marker even for a stock map
      {" klin.map", Summary({9}), "*  klin.map             : Ocean, "},  // the stock test does not see leading spaces
      {"A.MAP", Summary({16, 0, 8, 15}), "  A.MAP                 : Clear , Swamp, Impassable River, Rough, "},
      {"A.MAP", Summary({}), std::nullopt},
      {"NEW\nLINE.MAP", Summary({}, true), "  NEW?LINE.MAP          : Unknown Groundstyle found"},
      // A stock map is known without regard to case and surrounding spaces, but a tab is part of its name.
      {"arract.map", Summary({1}), "* arract.map            : City, "},
      {"  Windsor.Map ", Summary({1}), "*   Windsor.Map         : City, "},
      {"ARRACT.MAP.MAP", Summary({1}), "  ARRACT.MAP.MAP        : City, "},
      {"ARRACT", Summary({1}), "  ARRACT                : City, "},
      {"\tARRACT.MAP", Summary({1}), "  ?ARRACT.MAP           : City, "},
      {"DEL\x7F.MAP", Summary({1}), "  DEL?.MAP              : City, "},
      // A map in a subfolder is named by its path, and is a stock map by its own name.
      {"Campaign 1" + sep + "ARRACT.MAP", Summary({1}), "* Campaign 1" + sep + "ARRACT.MAP : City, "},
      {"ARRACT.MAP" + sep + "X.MAP", Summary({1}), "  ARRACT.MAP" + sep + "X.MAP      : City, "},
      {"Campaign 100" + sep + "ARRACT.MAP", Summary({1}), "Campaign 100" + sep + "ARRACT.MAP: City, "},
#ifndef _WIN32  // Windows counts UTF-16 units and writes the code page (see the Windows suite)
      // 21 characters, 24 bytes in UTF-8, padded by characters; a byte that is not UTF-8 counts as one.
      {"\xC3\x9C" "bung\xE2\x82\xAC" "ABCDEFGHIJK.MAP", Summary({2}),
       "  \xC3\x9C" "bung\xE2\x82\xAC" "ABCDEFGHIJK.MAP : Airfield, "},
      {"\xFF" "ABCDEFGHIJKLMNOPQ.MAP", Summary({2}), "  \xFF" "ABCDEFGHIJKLMNOPQ.MAP: Airfield, "},
#endif
  };
  for (const auto& [name, summary, line] : cases) EXPECT_EQ(Line(name, summary), line) << name;
}

// The 32 maps that ship with the game: each is marked in its report line.
TEST(FormatMapLine, MarksEachStockMap) {
  const std::string stock_maps[] = {
      "ARRACT.MAP",   "CAEN.MAP",     "CHIR.MAP",     "CIECHANO.MAP", "DESSAU.MAP",   "DUNKIRK.MAP",
      "GREECE.MAP",   "KANEV.MAP",    "KISHINEV.MAP", "KLIN.MAP",     "KONRAD.MAP",   "LENIN.MAP",
      "LILLEHAM.MAP", "MADRID.MAP",   "MALTA.MAP",    "METZ.MAP",     "NORDWIND.MAP", "NOVGOROD.MAP",
      "OAKRIDGE.MAP", "PROKHORV.MAP", "PTOBRUK.MAP",  "RATOBRUK.MAP", "SALERNO.MAP",  "SAVANNAH.MAP",
      "SEDAN.MAP",    "SEELOW.MAP",   "SOUMUSSA.MAP", "STLO.MAP",     "TOBRUK.MAP",   "VIIPURI.MAP",
      "VOLOKOL.MAP",  "WINDSOR.MAP"};
  for (const std::string& name : stock_maps) {
    EXPECT_EQ(Line(name, Summary({1})), "* " + name + std::string(22 - name.size(), ' ') + ": City, ");
  }
  EXPECT_EQ(kStockMapList.size(), std::size(stock_maps));
}

}  // namespace
}  // namespace scan
