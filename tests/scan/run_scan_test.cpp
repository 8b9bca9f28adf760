#include "scan/run_scan.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "map_writer.h"
#include "scan/report.h"

namespace scan {
namespace {

namespace fs = std::filesystem;

const std::string kSep(1, static_cast<char>(platform::kSeparator));

const std::string kHeaderTail =
    "\r\n"
    "An '*' in front of a Mapname indicate that the map is a SSI-map.\r\n"
    "Only maps that contain groundstyles you search for, are listed.\r\n"
    "\r\n"
    "Mapname                 : Groundstyles found on map\r\n"
    "===================================================\r\n"
    "\r\n";

// A folder of maps, a report folder and a home folder, with HOME pointing at the latter.
class RunScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_);
    fs::create_directories(reports_);
    fs::create_directories(home_);
#ifndef _WIN32
    const char* old = std::getenv("HOME");
    if (old != nullptr) old_home_ = old;
    setenv("HOME", home_.c_str(), 1);
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    if (old_home_) {
      setenv("HOME", old_home_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
#endif
  }

  void AddMap(const std::string& name, std::vector<int> codes) {
    tools::WriteFile(maps_ / name, tools::MapBytes(codes, static_cast<std::uint32_t>(names_.size() + 5)));
    names_.push_back(platform::FromUtf8(name));
  }

  platform::Status Scan(const std::string& report_text, TerrainSelection selection = TerrainSelection::All()) {
    return RunScan(platform::FromUtf8(report_text), maps_.native(), names_, selection, TerrainCatalogue(), busy_);
  }

  std::string Header(std::size_t count) const {
    return "Number of *.MAP files in " + maps_.string() + " : " + " " + std::to_string(count) + "\r\n" +
           kHeaderTail;
  }

  // Files in `folder`, to prove that no temporary was left behind.
  static std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  tools::TempFolder temp_;
  fs::path maps_ = temp_.path() / "maps";
  fs::path reports_ = temp_.path() / "reports";
  fs::path home_ = temp_.path() / "home";
  std::vector<platform::NativeString> names_;
  std::optional<std::string> old_home_;
  std::string busy_log_;
  BusyIndicator busy_{[this] { busy_log_ += "on "; }, [this] { busy_log_ += "off"; }};
};

TEST_F(RunScanTest, WritesTheWholeReport) {
  AddMap("arract.map", {0, 1});
  AddMap("EMPTY.MAP", {});  // clear terrain only, but clear is not selected below
  AddMap("MYMAP.MAP", {3, 3, 200});
  AddMap("ABCDEFGHIJKLMNOPQRSTUV.MAP", {5, 0});
  auto selection = TerrainSelection::All();
  selection.SetSelected(0, false);

  ASSERT_TRUE(Scan("  " + reports_.string() + "  ", selection).ok());
  EXPECT_EQ(busy_log_, "on off");
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"),
            Header(4) +
                "* arract.map            : City, \r\n"
                "  MYMAP.MAP             : Forest, Unknown Groundstyle found\r\n"
                "ABCDEFGHIJKLMNOPQRSTUV.MAP: Hill, \r\n");
  EXPECT_EQ(Entries(reports_), std::vector<std::string>{"GroundStyles.txt"});
}

TEST_F(RunScanTest, ReportFolderTextIsTrimmedAndMayEndInASeparator) {
  AddMap("KLIN.MAP", {9});
  const std::string expected = Header(1) + "* KLIN.MAP              : Ocean, \r\n";
  for (const std::string& text : {reports_.string(), reports_.string() + kSep, "   " + reports_.string() + kSep + " "}) {
    SCOPED_TRACE(text);
    fs::remove(reports_ / "GroundStyles.txt");
    ASSERT_TRUE(Scan(text).ok());
    EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), expected);
  }
  EXPECT_FALSE(fs::exists(home_ / "GroundStyles.txt"));
}

#ifndef _WIN32
TEST_F(RunScanTest, MissingOrEmptyReportFolderFallsBackToHome) {
  AddMap("KLIN.MAP", {9});
  for (const std::string& text : {(temp_.path() / "nowhere").string(), std::string(""), std::string("   ")}) {
    SCOPED_TRACE(text);
    fs::remove(home_ / "GroundStyles.txt");
    ASSERT_TRUE(Scan(text).ok());
    EXPECT_EQ(tools::ReadFile(home_ / "GroundStyles.txt"), Header(1) + "* KLIN.MAP              : Ocean, \r\n");
  }
  EXPECT_FALSE(fs::exists(temp_.path() / "nowhere"));
}
#endif

TEST_F(RunScanTest, ExistingReportIsReplacedNotAppended) {
  tools::WriteFile(reports_ / "GroundStyles.txt", std::string(100000, 'x'));
  AddMap("A.MAP", {16});
  ASSERT_TRUE(Scan(reports_.string()).ok());
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), Header(1) + "  A.MAP                 : Rough, \r\n");
}

TEST_F(RunScanTest, EmptyListTouchesNothing) {
  tools::WriteFile(reports_ / "GroundStyles.txt", "old report");
  ASSERT_TRUE(Scan(reports_.string()).ok());
  ASSERT_TRUE(Scan("").ok());
  EXPECT_EQ(busy_log_, "");
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), "old report");
  EXPECT_TRUE(Entries(home_).empty());
}

TEST_F(RunScanTest, WithNothingSelectedOnlyUnknownCodesAreListed) {
  AddMap("A.MAP", {1, 2, 3});
  AddMap("B.MAP", {1, -5});
  ASSERT_TRUE(Scan(reports_.string(), TerrainSelection::None()).ok());
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"),
            Header(2) + "  B.MAP                 : Unknown Groundstyle found\r\n");
}

TEST_F(RunScanTest, FolderEndingInASeparatorIsReadThroughADoubledOne) {
  AddMap("A.MAP", {6});
  const platform::NativeString folder = maps_.native() + platform::kSeparator;
  ASSERT_TRUE(RunScan(reports_.native(), folder, names_, TerrainSelection::All(), TerrainCatalogue(), {}).ok());
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"),
            "Number of *.MAP files in " + maps_.string() + kSep + " :  1\r\n" + kHeaderTail +
                "  A.MAP                 : Mountain, \r\n");
}

TEST_F(RunScanTest, CountsPastSixteenBits) {
  AddMap("A.MAP", {7});
  names_.assign(40000, names_.front());
  ASSERT_TRUE(Scan(reports_.string()).ok());
  const std::string report = tools::ReadFile(reports_ / "GroundStyles.txt");
  EXPECT_EQ(report.rfind(Header(40000), 0), 0u);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 8 + 40000);
}

TEST_F(RunScanTest, MissingMapStopsTheScanAndKeepsTheOldReport) {
  tools::WriteFile(reports_ / "GroundStyles.txt", "old report");
  AddMap("A.MAP", {1});
  names_.push_back(platform::FromUtf8("GONE.MAP"));
  AddMap("C.MAP", {1});
  const auto status = Scan(reports_.string());
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.message().rfind("cannot open \"" + (maps_ / "GONE.MAP").string() + "\": ", 0), 0u)
      << status.message();
  EXPECT_EQ(busy_log_, "on off");
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), "old report");
  EXPECT_EQ(Entries(reports_), std::vector<std::string>{"GroundStyles.txt"});
}

TEST_F(RunScanTest, ReportThatIsAFolderIsAnError) {
  fs::create_directory(reports_ / "GroundStyles.txt");
  AddMap("A.MAP", {1});
  const auto status = Scan(reports_.string());
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find((reports_ / "GroundStyles.txt").string()), std::string::npos);
  EXPECT_EQ(busy_log_, "on off");
  EXPECT_TRUE(fs::is_directory(reports_ / "GroundStyles.txt"));
  EXPECT_EQ(Entries(reports_), std::vector<std::string>{"GroundStyles.txt"});
}

#ifndef _WIN32
TEST_F(RunScanTest, FallbackThatIsNotAFolderIsAnError) {
  // The typed folder is a file, so the report falls back to home, which is a file too.
  tools::WriteFile(temp_.path() / "file", "x");
  setenv("HOME", (temp_.path() / "file").c_str(), 1);
  AddMap("A.MAP", {1});
  const auto status = Scan((temp_.path() / "file").string());
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.message().rfind("cannot create \"" + (temp_.path() / "file" / "GroundStyles.txt").string(), 0),
            0u)
      << status.message();
  EXPECT_EQ(busy_log_, "on off");
  EXPECT_EQ(tools::ReadFile(temp_.path() / "file"), "x");
}
#endif

TEST_F(RunScanTest, FailedWriteKeepsTheOldReport) {
  tools::WriteFile(reports_ / "GroundStyles.txt", "old report");
  for (int i = 0; i < 3000; ++i) AddMap("MAP" + std::to_string(i) + ".MAP", {i % 17});
  platform::ScopedReportWriteLimit disk_full(100000);
  const auto status = Scan(reports_.string());
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.message().rfind("cannot write \"" + (reports_ / "GroundStyles.txt").string() + "\": ", 0), 0u)
      << status.message();
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), "old report");
  EXPECT_EQ(Entries(reports_), std::vector<std::string>{"GroundStyles.txt"});
}

#ifndef _WIN32  // under wine, making 40,000 files alone takes minutes
TEST_F(RunScanTest, FortyThousandMapsAreAllCountedAndListed) {
  // Maps of one record each keep the folder small.
  const std::string one_record = tools::MapBytes({3}).substr(0, 17);
  for (int i = 0; i < 40000; ++i) {
    const std::string name = "M" + std::to_string(100000 + i) + ".MAP";
    tools::WriteFile(maps_ / name, one_record);
    names_.push_back(platform::FromUtf8(name));
  }
  ASSERT_TRUE(Scan(reports_.string()).ok());
  const std::string report = tools::ReadFile(reports_ / "GroundStyles.txt");
  EXPECT_EQ(report.rfind(Header(40000), 0), 0u);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 8 + 40000);
  EXPECT_NE(report.find("\r\n  M139999.MAP" + std::string(11, ' ') + ": Forest, \r\n"), std::string::npos);
}

TEST_F(RunScanTest, NamesOfEveryShapeAreReadAndWrittenOnOneLine) {
  const std::string latin1 = "\xE9t\xE9.MAP";  // not UTF-8: three characters and .MAP
  const std::string longest = std::string(251, 'A') + ".MAP";  // the longest name a folder holds
  for (const std::string& name : {latin1, std::string("  LEADING.MAP"), std::string("WITH SPACE.MAP"),
                                  std::string("NEW\nLINE.MAP"), longest}) {
    AddMap(name, {11});
  }
  ASSERT_TRUE(Scan(reports_.string()).ok());
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"),
            Header(5) + "  " + latin1 + "               : Fortification, \r\n" +
                "    LEADING.MAP         : Fortification, \r\n"
                "  WITH SPACE.MAP        : Fortification, \r\n"
                "  NEW?LINE.MAP          : Fortification, \r\n" +
                longest + ": Fortification, \r\n");
}

TEST_F(RunScanTest, WhatIsNoLongerAMapStopsTheScanWithoutHanging) {
  tools::WriteFile(reports_ / "GroundStyles.txt", "old report");
  AddMap("A.MAP", {1});
  AddMap("B.MAP", {1});
  fs::remove(maps_ / "B.MAP");
  fs::create_directory(maps_ / "B.MAP");  // became a folder after it was listed
  auto status = Scan(reports_.string());
  EXPECT_EQ(status.message(), "cannot read \"" + (maps_ / "B.MAP").string() + "\": Is a directory");

  fs::remove(maps_ / "B.MAP");
  ASSERT_EQ(mkfifo((maps_ / "B.MAP").c_str(), 0600), 0);  // a pipe with no writer
  status = Scan(reports_.string());
  EXPECT_EQ(status.message(), "cannot read \"" + (maps_ / "B.MAP").string() + "\": not a regular file");
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"), "old report");
  EXPECT_EQ(Entries(reports_), std::vector<std::string>{"GroundStyles.txt"});
}

TEST_F(RunScanTest, LinksAreFollowedToMapsAndFoldersButReportLinksAreReplaced) {
  AddMap("REAL.MAP", {2});
  fs::create_symlink(maps_ / "REAL.MAP", maps_ / "LINK.MAP");
  names_.push_back("LINK.MAP");
  fs::create_directory_symlink(reports_, temp_.path() / "report-link");
  tools::WriteFile(temp_.path() / "elsewhere.txt", "not to be written through");
  fs::create_symlink(temp_.path() / "elsewhere.txt", reports_ / "GroundStyles.txt");

  ASSERT_TRUE(Scan((temp_.path() / "report-link").string()).ok());
  EXPECT_FALSE(fs::is_symlink(reports_ / "GroundStyles.txt"));
  EXPECT_EQ(tools::ReadFile(reports_ / "GroundStyles.txt"),
            Header(2) + "  REAL.MAP              : Airfield, \r\n  LINK.MAP              : Airfield, \r\n");
  EXPECT_EQ(tools::ReadFile(temp_.path() / "elsewhere.txt"), "not to be written through");
}

TEST_F(RunScanTest, ReportFolderTextWithANulFallsBackToHome) {
  AddMap("A.MAP", {2});
  const platform::NativeString text = reports_.native() + std::string("\0/elsewhere", 11);
  ASSERT_TRUE(RunScan(text, maps_.native(), names_, TerrainSelection::All(), TerrainCatalogue(), {}).ok());
  EXPECT_TRUE(fs::exists(home_ / "GroundStyles.txt"));
  EXPECT_FALSE(fs::exists(reports_ / "GroundStyles.txt"));
}
#endif

}  // namespace
}  // namespace scan
