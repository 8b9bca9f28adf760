#include "command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

using Action = CommandLine::Action;

scan::TerrainSelection Only(std::initializer_list<int> codes) {
  scan::TerrainSelection selection;
  for (int code : codes) selection.SetSelected(code, true);
  return selection;
}

TEST(CommandLine, EveryOptionInItsShortAndLongFormsAsksForItsScan) {
  const std::pair<std::vector<std::string>, Options> cases[] = {
      {{"maps"}, {.folder = "maps"}},
      {{"-o", "out", "-t", "forest", "-r", "-k", "-j", "4", "-q", "maps"},
       {"maps", "out", Only({3}), true, true, true, 4}},
      {{"--report-folder=out", "--terrain=City,15", "--recursive", "--keep-going", "--jobs=64", "--quiet", "maps"},
       {"maps", "out", Only({1, 15}), true, true, true, 64}},
      {{"-rkq", "-j1", "-o", "-", "maps"}, {"maps", "-", scan::TerrainSelection::All(), true, true, true, 1}},
      // Each -t adds its types; after "--" a name that starts with '-' is the folder.
      {{"-t", "forest", "--terrain", "3,city", "--", "-maps"}, {.folder = "-maps", .selection = Only({1, 3})}},
  };
  for (const auto& [arguments, options] : cases) {
    const CommandLine command_line = ParseCommandLine(arguments);
    EXPECT_EQ(command_line.action, Action::kScan) << arguments.front();
    EXPECT_EQ(command_line.options, options) << arguments.front();
  }
}

TEST(CommandLine, TerrainIsNamedAsTheWindowNamesItInAnyCaseOrByItsCode) {
  const std::pair<std::string, int> spellings[] = {
      {"Clear", 0},     {" clear ", 0},     {"City", 1},          {"Airfield", 2},       {"Forest", 3},
      {"Bocage", 4},    {"HILL", 5},        {"Mountain", 6},      {"Sand", 7},           {"Swamp", 8},
      {"Ocean", 9},     {"River", 10},      {"Fortification", 11}, {"Port", 12},          {"Stream", 13},
      {"Escarpment", 14}, {"Impassable River", 15}, {"impassable-river", 15}, {"IMPASSABLE_RIVER", 15},
      {"Rough", 16},    {"0", 0},           {"07", 7},            {"16", 16},
  };
  for (const auto& [spelling, code] : spellings) {
    EXPECT_EQ(ParseCommandLine({"-t", spelling, "maps"}).options.selection, Only({code})) << spelling;
  }
  const CommandLine list = ParseCommandLine({"--list-terrain"});
  EXPECT_EQ(list.action, Action::kPrint);
  EXPECT_EQ(list.text,
            "0 Clear\n1 City\n2 Airfield\n3 Forest\n4 Bocage\n5 Hill\n6 Mountain\n7 Sand\n8 Swamp\n9 Ocean\n"
            "10 River\n11 Fortification\n12 Port\n13 Stream\n14 Escarpment\n15 Impassable River\n16 Rough\n");
}

TEST(CommandLine, WrongCommandLinesSayWhatIsWrong) {
  const std::string try_help = "Try 'groundstyles-scan --help' for more information.\n";
  const std::string list_terrain = "'groundstyles-scan --list-terrain' lists the names and codes.\n";
  // What the parser says in its own words is left to it; the name of what is wrong is in it.
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{"--bogus", "maps"}, "--bogus", try_help},
      {{}, "FOLDER", try_help},
      {{"maps", "more"}, "more", try_help},
      {{"-j", "0", "maps"}, "--jobs", try_help},
      {{"--jobs=65", "maps"}, "--jobs", try_help},
      {{"-j", "many", "maps"}, "--jobs", try_help},
      {{"maps", "-o"}, "--report-folder", try_help},
      {{"-o", "a", "-o", "b", "maps"}, "--report-folder", try_help},
      {{"-t", "forrest", "maps"}, "unknown terrain type 'forrest'\n", list_terrain},
      {{"-t", "17", "maps"}, "unknown terrain type '17'\n", list_terrain},
      {{"-t", "forest,,city", "maps"}, "unknown terrain type ''\n", list_terrain},
      {{"-t", "Impassable  River", "maps"}, "unknown terrain type 'Impassable  River'\n", list_terrain},
  };
  for (const auto& [arguments, named, hint] : cases) {
    const CommandLine command_line = ParseCommandLine(arguments);
    EXPECT_EQ(command_line.action, Action::kUsageError);
    EXPECT_EQ(command_line.text.rfind("groundstyles-scan: ", 0), 0u) << command_line.text;
    EXPECT_NE(command_line.text.find(named), std::string::npos) << command_line.text;
    EXPECT_TRUE(command_line.text.ends_with(hint)) << command_line.text;
  }
}

TEST(CommandLine, HelpAndVersionArePrinted) {
  const CommandLine help = ParseCommandLine({"maps", "--help"});
  EXPECT_EQ(help.action, Action::kPrint);
  EXPECT_EQ(help.text.rfind("Usage: groundstyles-scan [OPTION]... FOLDER\n", 0), 0u) << help.text;
  EXPECT_NE(help.text.find("\n  -o, --report-folder=DIR  write "), std::string::npos);  // as a shell user knows it
  // It fits a screen of 24 lines of 80 characters.
  std::istringstream lines(help.text);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) EXPECT_LT(line.size(), 80u) << line;
  EXPECT_LE(count, 23);
  EXPECT_EQ(ParseCommandLine({"--version", "--bogus"}).text, "groundstyles-scan 2.00\n");
}

}  // namespace
}  // namespace cli
