// groundstyles-scan run as a shell runs it: what it writes, where, and its exit status.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include "platform/windows_text.h"
#endif

#include <algorithm>
#include <filesystem>

#include "map_writer.h"
#include "ordinary_user.h"
#include "platform/listing.h"
#include "platform/paths.h"
#include "scan/report.h"
#include "scan/run_scan.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

const std::string kSep(1, static_cast<char>(platform::kSeparator));
#ifdef _WIN32
const fs::path kProgram = "Z:" GROUNDSTYLES_SCAN_PROGRAM;  // the build folder under wine's drive for "/"
// The system's reasons, in its own words.
const std::string kDenied = platform::internal::WindowsErrorText(ERROR_SHARING_VIOLATION);
const std::string kMissing = platform::internal::WindowsErrorText(ERROR_FILE_NOT_FOUND);
const std::string kNotAFolder = platform::internal::WindowsErrorText(ERROR_DIRECTORY);
#else
const fs::path kProgram = GROUNDSTYLES_SCAN_PROGRAM;
const std::string kDenied = "Permission denied", kMissing = "No such file or directory", kNotAFolder = "Not a directory";
#endif

class ScanProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& folder : {maps_, reports_}) fs::create_directories(folder);
    tools::WriteFile(report_, "old report");
  }

  void AddMap(const fs::path& name, const std::vector<int>& codes) {
    fs::create_directories((maps_ / name).parent_path());
    tools::WriteFile(maps_ / name, tools::MapBytes(codes, ++seed_));
  }

  // The exit status, a space, then what it wrote on standard error and on standard output.
  std::string Run(const std::vector<fs::path>& arguments) const {
    const tools::ProgramRun run = tools::RunProgram(kProgram, arguments, temp_.path());
    return std::to_string(run.status) + " " + run.error + run.output;
  }

  // What the window writes for the maps its file list shows in `maps_`, with
  // the terrain types `codes` ticked (all when none is given).
  std::string WindowReport(std::initializer_list<int> codes = {}) const {
    scan::ScanRequest request;
    request.report_folder_text = (temp_.path() / "window").native();
    request.listed_folder = maps_.native();
    request.selection = scan::TerrainSelection::All();
    for (int code = 0; code < scan::kTerrainCodeCount && codes.size() > 0; ++code) {
      request.selection.SetSelected(code, std::find(codes.begin(), codes.end(), code) != codes.end());
    }
    fs::create_directory(request.report_folder_text);
    EXPECT_TRUE(platform::ListMapFiles(maps_.native(), &request.listed_names).ok());
    EXPECT_TRUE(scan::RunScan(request, scan::TerrainCatalogue(), {}).ok());
    return tools::ReadFile(temp_.path() / "window" / scan::kReportFileName);
  }

  std::string Header(std::size_t count) const { return scan::ReportHeaderText(maps_.native(), count); }

  // The report is the old one, and no other was written.
  void ExpectNothingWritten() const {
    EXPECT_EQ(tools::ReadFile(report_), "old report");
    EXPECT_FALSE(fs::exists(temp_.path() / scan::kReportFileName));
    EXPECT_EQ(std::distance(fs::directory_iterator(reports_), fs::directory_iterator()), 1);
  }

  tools::TempFolder temp_;
  fs::path maps_ = temp_.path() / "maps";
  fs::path reports_ = temp_.path() / "reports";
  fs::path report_ = reports_ / scan::kReportFileName;
  std::uint32_t seed_ = 0;
};

TEST_F(ScanProgram, WritesTheWindowsReportByteForByteToAFileOrToStandardOutput) {
  AddMap("ARRACT.MAP", {0, 1});
  AddMap("klin.map", {9, 200});
  AddMap("EMPTY.MAP", {});
  AddMap(u8"\u00DCbung.MAP", {3});
  AddMap("ABCDEFGHIJKLMNOPQRSTUVW.MAP", {16, 3});
  // FOLDER relative, with a separator at its end; the report in the working folder.
  EXPECT_EQ(Run({"maps" + kSep}), "0 ");
  EXPECT_EQ(tools::ReadFile(temp_.path() / scan::kReportFileName), WindowReport());
  EXPECT_EQ(Run({"-t", "forest, OCEAN", "-o", reports_, maps_}), "0 ");
  EXPECT_EQ(tools::ReadFile(report_), WindowReport({3, 9}));
  EXPECT_EQ(Run({"-j", "1", "-o", "-", maps_}), "0 " + WindowReport());
}

TEST_F(ScanProgram, AWrongCommandLineOrNoMapsReadsAndWritesNothing) {
  AddMap("ARRACT.MAP", {1});
  fs::create_directories(temp_.path() / "no maps" / "sub");
  const fs::path no_maps = temp_.path() / "no maps", nowhere = temp_.path() / "nowhere", a_map = maps_ / "ARRACT.MAP";
  const std::string maps_in = "2 groundstyles-scan: cannot read the maps in \"";
  const std::string report_into = "2 groundstyles-scan: cannot write the report into \"";
  const std::pair<std::vector<fs::path>, std::string> cases[] = {
      {{"-o", reports_, nowhere}, maps_in + nowhere.string() + "\": " + kMissing + "\n"},
      {{"-o", reports_, a_map}, maps_in + a_map.string() + "\": " + kNotAFolder + "\n"},
      {{"-o", nowhere, maps_}, report_into + nowhere.string() + "\": " + kMissing + "\n"},
      {{"-o", a_map, maps_}, report_into + a_map.string() + "\": " + kNotAFolder + "\n"},
      {{"-t", "forrest", maps_},
       "2 groundstyles-scan: unknown terrain type 'forrest'\n'groundstyles-scan --list-terrain' lists the names and "
       "codes.\n"},
      {{"-o", reports_, no_maps}, "0 groundstyles-scan: no *.MAP files in \"" + no_maps.string() +
                                      "\": no report written\n"},
      {{"-r", "-o", reports_, no_maps}, "0 groundstyles-scan: no *.MAP files in \"" + no_maps.string() +
                                            "\" or its subfolders: no report written\n"},
  };
  for (const auto& [arguments, outcome] : cases) {
    EXPECT_EQ(Run(arguments), outcome);
    ExpectNothingWritten();
  }
}

// Without -k the first map that cannot be read stops the scan; with it, the
// map has a line that says why, and the status says so.
TEST_F(ScanProgram, AMapThatCannotBeReadStopsTheScanOrHasItsOwnLine) {
  AddMap("A.MAP", {1});
  AddMap("BROKEN.MAP", {1});
  AddMap("C.MAP", {3});
  const std::string named = "groundstyles-scan: cannot open \"" + (maps_ / "BROKEN.MAP").string() + "\": " + kDenied;
  const std::string report = Header(3) + "  A.MAP                 : City, \r\n"
                             "  BROKEN.MAP            : cannot be read: " + kDenied + "\r\n"
                             "  C.MAP                 : Forest, \r\n";
#ifdef _WIN32
  const HANDLE holder = CreateFileW((maps_ / "BROKEN.MAP").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, {});
#else
  fs::permissions(maps_ / "BROKEN.MAP", fs::perms::none);
  for (const fs::path& path : {reports_, report_}) tools::GiveToOrdinaryUser(path);
#endif
  const auto run = [&](const std::vector<fs::path>& arguments) {
    return tools::AsOrdinaryUser([&] { return Run(arguments); });
  };
  EXPECT_EQ(run({"-o", reports_, maps_}), "1 " + named + "\n");
  ExpectNothingWritten();
  EXPECT_EQ(run({"-k", "-o", "-", maps_}), "3 " + named + "\n" + report);
  ExpectNothingWritten();
  EXPECT_EQ(run({"--keep-going", "-o", reports_, maps_}), "3 " + named + "\n");
  EXPECT_EQ(tools::ReadFile(report_), report);
#ifdef _WIN32
  CloseHandle(holder);
#endif
}

// Depth first, folders and maps in the window's order; hidden folders and
// links to folders are left out, so a link back up ends nothing.
TEST_F(ScanProgram, ALibraryIsReadFolderByFolderDepthFirstInOneReport) {
  for (const char* map : {"ARRACT.MAP", "b/KLIN.MAP", "b/inner/X.MAP", "Campaign 1/ARRACT.MAP", "Campaign 1/MAPS20/Y.MAP",
                          ".hidden/H.MAP"}) {
    AddMap(fs::path(map).make_preferred(), {1});
  }
#ifdef _WIN32
  SetFileAttributesW((maps_ / ".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Wine makes no link itself; a POSIX program makes one, as a Linux user
  // would, and wine does not wait for such a program to end.
  tools::RunProgram("Z:\\bin\\ln", {"-s", "..", "loop"}, maps_ / "b");
  for (int wait = 0; wait < 200 && !fs::exists(maps_ / "b" / "loop"); ++wait) Sleep(50);
#else
  fs::create_directory_symlink(maps_, maps_ / "b" / "loop");
#endif
  ASSERT_TRUE(fs::exists(maps_ / "b" / "loop" / "ARRACT.MAP"));
  EXPECT_EQ(Run({"-r", "-o", "-", maps_}), "0 " + Header(5) + "* ARRACT.MAP            : City, \r\n"
                                                           "* b" + kSep + "KLIN.MAP            : City, \r\n"
                                                           "  b" + kSep + "inner" + kSep + "X.MAP         : City, \r\n"
                                                           "* Campaign 1" + kSep + "ARRACT.MAP : City, \r\n"
                                                           "Campaign 1" + kSep + "MAPS20" + kSep + "Y.MAP: City, \r\n");
#ifndef _WIN32
  // A subfolder that cannot be listed fails the scan as a map that cannot be read does.
  fs::permissions(maps_ / "b" / "inner", fs::perms::none);
  const std::string inner = (maps_ / "b" / "inner").string();
  EXPECT_EQ(tools::AsOrdinaryUser([&] { return Run({"-r", "-k", "-o", reports_, maps_}); }),
            "1 groundstyles-scan: cannot list \"" + inner + "\": Permission denied\n");
  ExpectNothingWritten();
  fs::permissions(maps_ / "b" / "inner", fs::perms::owner_all);
#endif
}

}  // namespace
