#include "scan/run_scan.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <functional>
#include <random>

#include "fake_report_file_system.h"
#include "map_writer.h"
#include "platform/paths.h"
#include "scan/report.h"
#include "scoped_settings.h"
#include "threads_and_files.h"

namespace scan {
namespace {

namespace fs = std::filesystem;

const std::string kSep(1, static_cast<char>(platform::kSeparator));

// A folder of maps and a report folder, and a home folder: the one HOME names
// on POSIX, the Documents folder on Windows.
class RunScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& folder : {maps_, reports_, home_}) fs::create_directories(folder);
  }

  // A map holding `codes`, cut to `length` bytes, listed after those added before.
  void AddMap(const std::string& name, const std::vector<int>& codes, std::size_t length = std::string::npos) {
    const auto seed = static_cast<std::uint32_t>(names_.size() + 5);
    tools::WriteFile(maps_ / name, tools::MapBytes(codes, seed).substr(0, length));
    names_.push_back(platform::FromUtf8(name));
  }

  platform::Status Scan(const std::string& report_text, TerrainSelection selection = TerrainSelection::All(),
                        int reads_in_flight = kReadsInFlight) {
    const ScanRequest request = {.report_folder_text = platform::FromUtf8(report_text),
                                 .listed_folder = maps_.native(),
                                 .listed_names = names_,
                                 .selection = selection,
                                 .reads_in_flight = reads_in_flight,
                                 .report_files = calls_,
                                 .stop = &stop_};
    return RunScan(request, TerrainCatalogue(), busy_);
  }

  std::string Header(std::size_t count) const { return ReportHeaderText(maps_.native(), count); }

  // How many files `folder` holds, to prove that no temporary was left behind.
  static std::ptrdiff_t Entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
  }

  tools::TempFolder temp_;
  fs::path maps_ = temp_.path() / "maps";
  fs::path reports_ = temp_.path() / "reports";
  fs::path home_ = temp_.path() / "home";
  fs::path report_ = reports_ / kReportFileName;
  tools::ScopedEnvironment home_variable_{"HOME", home_.string()};
  std::vector<platform::NativeString> names_;
  tools::FakeReportFileSystem calls_;
  std::atomic<bool> stop_{false};
  std::string busy_log_;
  std::size_t maps_done_ = 0;  // as the last progress said
  bool progress_in_order_ = true;
  BusyIndicator busy_{[this] { busy_log_ += "on "; }, [this] { busy_log_ += "off"; },
                      [this](std::size_t done) {
                        progress_in_order_ = progress_in_order_ && (done == 1 || done == maps_done_ + 1);
                        maps_done_ = done;
                      }};
};

// How each line is laid out is the report's own test; the scan lists the maps
// in order under the header, with the selected terrain only. Other tests take
// the header from ReportHeaderText.
TEST_F(RunScanTest, WritesTheWholeReportInPlaceOfTheOld) {
  tools::WriteFile(report_, "old report");
  for (const fs::path& folder : {reports_, temp_.path() / "nowhere"}) {
    ASSERT_TRUE(Scan(folder.string()).ok());  // an empty list touches nothing, here or at home
  }
  EXPECT_EQ(busy_log_, "");
  EXPECT_EQ(Entries(home_), 0);
  EXPECT_EQ(tools::ReadFile(report_), "old report");
  AddMap("arract.map", {0, 1});
  AddMap("EMPTY.MAP", {});  // clear terrain only, but clear is not selected
  AddMap("MYMAP.MAP", {3, 3, 200});
  auto selection = TerrainSelection::All();
  selection.SetSelected(0, false);
  ASSERT_TRUE(Scan(reports_.string(), selection).ok());
  EXPECT_EQ(busy_log_, "on off");
  EXPECT_EQ(tools::ReadFile(report_), "Number of *.MAP files in " + maps_.string() +
                                          " :  3\r\n"
                                          "\r\n"
                                          "An '*' in front of a Mapname indicate that the map is a SSI-map.\r\n"
                                          "Only maps that contain groundstyles you search for, are listed.\r\n"
                                          "\r\n"
                                          "Mapname                 : Groundstyles found on map\r\n"
                                          "===================================================\r\n"
                                          "\r\n"
                                          "* arract.map            : City, \r\n"
                                          "  MYMAP.MAP             : Forest, Unknown Groundstyle found\r\n");
}

// The report's folder, as messages name it: the typed folder, without
// surrounding spaces and with one separator at its end, or home when no such
// folder exists. Form1's tests hold where a scan then writes it.
TEST_F(RunScanTest, ReportGoesToTheTypedFolderOrElseHome) {
  AddMap("KLIN.MAP", {9});
#ifdef _WIN32
  const tools::ScopedDocumentsFolder documents(home_);  // the system's answer, not a path built from the profile
#endif
  const std::pair<std::string, fs::path> cases[] = {
      {reports_.string(), reports_},
      {reports_.string() + kSep + "/", reports_},
      {"  " + reports_.string() + kSep + " ", reports_},
      {(temp_.path() / "nowhere").string(), home_},
      {(maps_ / "KLIN.MAP").string(), home_},  // a file
      {"", home_},
      {"  ", home_},
      {reports_.string() + std::string("\0/x", 3), home_}};  // no folder holds a NUL
  for (const auto& [text, folder] : cases) {
    EXPECT_EQ(ResolveReportFolder(platform::FromUtf8(text)), (folder / "").native()) << text;
  }
}

TEST_F(RunScanTest, ManyReadsInFlightWriteWhatOneAtATimeWrites) {
  std::mt19937 random(11);
  for (int i = 0; i < 2001; ++i) {  // not a whole number of the batches threads take
    std::vector<int> codes(1 + random() % 5);
    for (int& code : codes) code = static_cast<int>(random() % 22) - 2;  // -2..19
    // One map in ten short, some empty.
    AddMap("MAP" + std::to_string(i) + ".MAP", codes, i % 10 == 0 ? i % 200 : 12610);
  }
  auto selection = TerrainSelection::All();
  selection.SetSelected(4, false);
  ASSERT_TRUE(Scan(reports_.string(), selection, 1).ok());
  const std::string one_at_a_time = tools::ReadFile(report_);
  for (int reads_in_flight : {2, 5, kReadsInFlight}) {
    SCOPED_TRACE(reads_in_flight);
    const std::string threads_and_files = tools::ThreadsAndFiles();
    ASSERT_TRUE(Scan(reports_.string(), selection, reads_in_flight).ok());
    EXPECT_EQ(tools::ReadFile(report_), one_at_a_time);
    EXPECT_EQ(tools::ThreadsAndFiles(), threads_and_files);
  }
  EXPECT_EQ(busy_log_, "on offon offon offon off");
  EXPECT_EQ(maps_done_, names_.size());  // each map counted once, in list order
  EXPECT_TRUE(progress_in_order_);
}

TEST_F(RunScanTest, FailuresStopTheScanNameTheFileAndKeepTheOldReport) {
  const std::string map_b = (maps_ / "B.MAP").string();
  const std::string cannot_write = "cannot write \"" + report_.string() + "\": ";
  // Maps k and k + 5 of a longer list both fail. k is the last of the eight
  // maps a thread reads at a time and k + 5 the fifth of the next eight, so
  // either may fail first; each case is scanned three times to meet both.
  const auto map_path = [&](int i) { return maps_ / ("M" + std::to_string(i) + ".MAP"); };
  const std::string map_k = map_path(487).string();
  using Fail = void (*)(const fs::path&);
  const Fail remove = [](const fs::path& map) { fs::remove(map); };
  const Fail make_folder = [](const fs::path& map) {
    fs::remove(map);
    fs::create_directory(map);
  };
  const auto fail_k_and_k5 = [&](Fail fail_k, Fail fail_k5) {
    for (int i = 2; i < 600; ++i) AddMap(map_path(i).filename().string(), {1});
    fail_k(map_k);
    fail_k5(map_path(492));
  };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;  // how the error starts
    std::vector<tools::FakeReportFileSystem::Fault> faults = {};
  };
  std::vector<Case> cases = {
      {"map deleted after listing", [&] { fs::remove(map_b); }, "cannot open \"" + map_b + "\": "},
      {"map k deleted, map k + 5 made a folder", [&] { fail_k_and_k5(remove, make_folder); },
       "cannot open \"" + map_k + "\": "},
      // How the report file fails, and what it keeps, is its own test.
      {"the report's write fails", [] {}, cannot_write, {{}}},
#ifndef _WIN32
      {"map became a pipe with no writer",
       [&] {
         fs::remove(map_b);
         mkfifo(map_b.c_str(), 0600);
       },
       "cannot read \"" + map_b + "\": not a regular file"},
      {"map k made a folder, map k + 5 deleted", [&] { fail_k_and_k5(make_folder, remove); },
       "cannot read \"" + map_k + "\": Is a directory"},
#endif
  };
  for (const Case& failure : cases) {
    SCOPED_TRACE(failure.what);
    tools::WriteFile(report_, "old report");
    fs::remove_all(maps_);
    fs::create_directory(maps_);
    names_.clear();
    AddMap("A.MAP", {1});
    AddMap("B.MAP", {1});
    failure.arrange();
    const std::string threads_and_files = tools::ThreadsAndFiles();
    for (int run = 0; run < 3; ++run) {
      busy_log_.clear();
      calls_.SetFaults(failure.faults);
      const platform::Status status = Scan(reports_.string());
      EXPECT_EQ(status.message().rfind(failure.message, 0), 0u) << status.message();
      EXPECT_EQ(busy_log_, "on off");
      EXPECT_EQ(tools::ThreadsAndFiles(), threads_and_files);
    }
    EXPECT_EQ(tools::ReadFile(report_), "old report");
    EXPECT_EQ(Entries(reports_), 1);
  }
}

// A stop ends the scan between maps, however many remain, and once the last
// is read, before the report is put in place: the old report stays as it
// was, and its new file (named here) goes.
TEST_F(RunScanTest, AStopEndsTheScanAtOnceAndKeepsTheOldReport) {
  for (int i = 0; i < 300; ++i) AddMap("M" + std::to_string(i) + ".MAP", {1});
  tools::WriteFile(report_, "old report");
  for (const std::size_t stop_after : {std::size_t{20}, names_.size()}) {
    stop_ = false;
    busy_.progress = [&](std::size_t done) {
      maps_done_ = done;
      if (done == stop_after) stop_ = true;
    };
    calls_.SetFaults({{.call = tools::FakeReportFileSystem::Call::kCreate, .named = true, .fails = false}});
    EXPECT_FALSE(Scan(reports_.string()).ok());
    EXPECT_EQ(maps_done_, stop_after);
    EXPECT_EQ(tools::ReadFile(report_), "old report");
    EXPECT_EQ(Entries(reports_), 1);
  }
}

// What the report's folder holds is looked at before any map is read: a
// report that cannot be put in place fails the scan at once with its own
// message, before the listed map that cannot be read is met.
TEST_F(RunScanTest, AReportThatCannotBePutInPlaceFailsBeforeAnyMapIsRead) {
  names_.push_back(platform::FromUtf8("GONE.MAP"));  // listed, but not on disk
  const std::string cannot_replace = "cannot replace \"" + report_.string() + "\": ";
  fs::create_directory(report_);
#ifdef _WIN32
  EXPECT_EQ(Scan(reports_.string()).message(), cannot_replace + "Access denied.");
#else
  EXPECT_EQ(Scan(reports_.string()).message(), cannot_replace + "Is a directory");
  fs::remove(report_);
  ASSERT_EQ(mkfifo(report_.c_str(), 0600), 0);
  EXPECT_EQ(Scan(reports_.string()).message(), cannot_replace + "not a regular file");
#endif
  EXPECT_EQ(maps_done_, 0u);
  EXPECT_EQ(Entries(reports_), 1);
}

#ifndef _WIN32
TEST_F(RunScanTest, FortyThousandMapsAreAllCountedAndListed) {  // under wine this takes minutes
  const std::string one_record = tools::MapBytes({3}).substr(0, 17);  // small maps keep the folder small
  std::string report = Header(40000);
  for (int i = 0; i < 40000; ++i) {
    const std::string name = "M" + std::to_string(100000 + i) + ".MAP";
    tools::WriteFile(maps_ / name, one_record);
    names_.push_back(name);
    report += "  " + name + std::string(11, ' ') + ": Forest, \r\n";
  }
  ASSERT_TRUE(Scan(reports_.string()).ok());
  EXPECT_EQ(tools::ReadFile(report_), report);
}
#endif

}  // namespace
}  // namespace scan
