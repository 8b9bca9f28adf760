// What only Windows shows: drive letters, '\', the ANSI code page, hidden and
// system files. These run under wine, where C: is the wine prefix's drive.
#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>

#include "map_writer.h"
#include "platform/drives.h"
#include "platform/listing.h"
#include "platform/report_file.h"
#include "platform/windows_text.h"
#include "scan/report.h"
#include "scan/run_scan.h"

namespace {

namespace fs = std::filesystem;
using platform::NativeString;

// Makes C:\maps and removes it, C:\reports and whatever report went to C:\.
class DriveC : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1252u) << "these expectations are written for the Western code page";
    TearDown();
    fs::create_directories(L"C:\\maps");
  }
  void TearDown() override {
    for (const wchar_t* path : {L"C:\\maps", L"C:\\reports", L"C:\\ARRACT.MAP", L"C:\\GroundStyles.txt"}) {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  }
  static platform::Status Scan(const NativeString& report_text, const NativeString& folder,
                               const std::vector<NativeString>& names,
                               scan::TerrainSelection selection = scan::TerrainSelection::All()) {
    return scan::RunScan(report_text, folder, names, selection, scan::TerrainCatalogue(), {});
  }
};

// The report may go to the drive's root, typed with either separator, and a
// map there is read through a doubled separator, C:\\ARRACT.MAP.
TEST_F(DriveC, ReportAndMapsMayBeAtTheDriveRoot) {
  tools::WriteFile(L"C:\\ARRACT.MAP", tools::MapBytes({16}, 7));
  for (const NativeString& root : {NativeString(L"C:\\"), NativeString(L" C:/ ")}) {
    EXPECT_EQ(scan::ResolveReportFolder(root), L"C:\\");
    fs::remove(L"C:\\GroundStyles.txt");
    ASSERT_TRUE(Scan(root, L"C:\\", {L"ARRACT.MAP"}).ok());
    EXPECT_EQ(tools::ReadFile(L"C:\\GroundStyles.txt"),
              scan::ReportHeaderText(L"C:\\", 1) + "* ARRACT.MAP            : Rough, \r\n");
  }
}

TEST_F(DriveC, NamesAreWrittenInTheCodePageAndCountedInUtf16) {
  const NativeString western = L"\u00DCbung.MAP";                             // in code page 1252
  const NativeString chinese = L"\u5730\u56FE.MAP";                           // not in it
  const NativeString long_name = L"\u00C9" + NativeString(21, L'A') + L".MAP";  // 26 characters
  for (const NativeString& name : {western, chinese, long_name}) {
    tools::WriteFile(fs::path(L"C:\\maps") / name, tools::MapBytes({7}, 8));
  }
  ASSERT_TRUE(Scan(L"C:\\", L"C:\\maps", {western, chinese, long_name}).ok());
  EXPECT_EQ(tools::ReadFile(L"C:\\GroundStyles.txt"), scan::ReportHeaderText(L"C:\\maps", 3) +
                                                          "  \xDC" "bung.MAP             : Sand, \r\n"
                                                          "  ??.MAP                : Sand, \r\n"
                                                          "\xC9" + std::string(21, 'A') + ".MAP: Sand, \r\n");
}

TEST_F(DriveC, FileListLeavesOutHiddenSystemFilesAndFolders) {
  fs::create_directories(L"C:\\maps\\X.MAP");
  for (const wchar_t* name : {L"b.map", L"A.MAP", L"c.Map", L"HIDDEN.MAP", L"SYSTEM.MAP", L"notes.txt"}) {
    tools::WriteFile(fs::path(L"C:\\maps") / name, "");
  }
  ASSERT_TRUE(SetFileAttributesW(L"C:\\maps\\HIDDEN.MAP", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(L"C:\\maps\\SYSTEM.MAP", FILE_ATTRIBUTE_SYSTEM));
  std::vector<NativeString> names;
  ASSERT_TRUE(platform::ListMapFiles(L"C:\\maps", &names).ok());
  EXPECT_EQ(names, (std::vector<NativeString>{L"A.MAP", L"b.map", L"c.Map"}));
  ASSERT_TRUE(platform::ListSubfolders(L"C:\\maps", &names).ok());
  EXPECT_EQ(names, std::vector<NativeString>{L"X.MAP"});
  const auto missing = platform::ListMapFiles(L"C:\\maps\\nothing", &names);
  EXPECT_EQ(missing.message().rfind("cannot list \"C:\\maps\\nothing\": ", 0), 0u) << missing.message();
}

// The earlier report and a file a link points to survive what Windows users
// meet; a report another program holds open, letting others write but not
// delete it, is rewritten in place.
TEST_F(DriveC, ReportIsNotWrittenThroughALinkNorOverAReadOnlyFile) {
  const fs::path report = L"C:\\reports\\GroundStyles.txt", notes = L"C:\\reports\\notes.txt";
  const std::string cannot_write = "cannot write \"C:\\reports\\GroundStyles.txt\": ";
  HANDLE holder = INVALID_HANDLE_VALUE;
  struct Case {
    const char* what;
    std::function<bool()> arrange;  // false where the system cannot arrange it
    std::string error;              // empty when the scan succeeds
    std::optional<platform::ReportFault> fault = {};
  };
  const auto hold = [&] {
    holder = CreateFileW(report.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    return holder != INVALID_HANDLE_VALUE;
  };
  const Case cases[] = {
      {"read-only report", [&] { return SetFileAttributesW(report.c_str(), FILE_ATTRIBUTE_READONLY) != 0; },
       cannot_write + platform::internal::WindowsErrorText(ERROR_ACCESS_DENIED)},
      {"report is a link", [&] { return fs::remove(report), CreateSymbolicLinkW(report.c_str(), notes.c_str(), 0); },
       ""},
      {"report held open", hold, ""},
      {"report held open, the disk fills", hold, cannot_write + platform::internal::WindowsErrorText(ERROR_DISK_FULL),
       platform::ReportFault{platform::ReportFault::Call::kWrite, 2}}};  // the second write: in place
  std::string unarranged;  // the cases the system cannot arrange, skipped
  for (const Case& use : cases) {
    SCOPED_TRACE(use.what);
    SetUp();
    fs::create_directories(L"C:\\reports");
    tools::WriteFile(L"C:\\maps\\A.MAP", tools::MapBytes({1}));
    tools::WriteFile(report, "old report");
    tools::WriteFile(notes, "notes");
    if (!use.arrange()) {
      unarranged += std::string(use.what) + " (error " + std::to_string(GetLastError()) + ") ";
      continue;
    }
    const DWORD attributes = GetFileAttributesW(report.c_str());
    std::optional<platform::ScopedReportFault> fault;
    if (use.fault) fault.emplace(*use.fault);
    EXPECT_EQ(Scan(L"C:\\reports", L"C:\\maps", {L"A.MAP"}).message(), use.error);
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    holder = INVALID_HANDLE_VALUE;
    if (!use.error.empty()) {
      EXPECT_EQ(GetFileAttributesW(report.c_str()), attributes);
    }
    const std::string new_report = scan::ReportHeaderText(L"C:\\maps", 1) + "  A.MAP                 : City, \r\n";
    EXPECT_EQ(tools::ReadFile(report), use.error.empty() ? new_report : "old report");
    EXPECT_EQ(tools::ReadFile(notes), "notes");
    EXPECT_EQ(std::distance(fs::directory_iterator(L"C:\\reports"), fs::directory_iterator()), 2);
    SetFileAttributesW(report.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (!unarranged.empty()) GTEST_SKIP() << "the system cannot arrange " << unarranged;
}

// A scan that ends abruptly while it writes leaves no temporary: it is marked
// for deletion when closed until it is complete.
TEST_F(DriveC, EndedScanLeavesNothingBehind) {
  fs::create_directories(L"C:\\reports");
  tools::WriteFile(L"C:\\reports\\GroundStyles.txt", "old report");
  tools::WriteFile(L"C:\\maps\\A.MAP", tools::MapBytes({1}));
  const std::vector<NativeString> names(4000, L"A.MAP");  // a report of several writes
  const platform::ReportFault end{platform::ReportFault::Call::kWrite, 2, SIGTERM};
  // The C runtime ends the process at once, with exit code 3, on SIGTERM.
  EXPECT_EXIT((platform::ScopedReportFault(end), Scan(L"C:\\reports", L"C:\\maps", names)),
              ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(L"C:\\reports"), fs::directory_iterator()), 1);
  EXPECT_EQ(tools::ReadFile(L"C:\\reports\\GroundStyles.txt"), "old report");
}

TEST(WindowsPlatform, FoldersDrivesAndDevices) {
  EXPECT_TRUE(platform::FolderExists(L"C:\\windows"));
  for (const NativeString& other : {NativeString(L"C:\\windows\\notepad.exe"), NativeString(L"C:\\no such folder"),
                                    NativeString(), NativeString(L"C:\\windows\0x", 12)}) {
    EXPECT_FALSE(platform::FolderExists(other));
  }
  const auto drives = platform::SystemDrives()->ListDrives();
  const std::size_t c = platform::DriveIndexOf(drives, L"c:\\windows");
  ASSERT_LT(c, drives.size());
  EXPECT_EQ(drives[c].root, L"C:\\");
  EXPECT_EQ(platform::DriveDisplayName({L"C:\\", ""}), "C:");
  // The report's stand-in folder is Documents wherever the system says it is;
  // with none there, the user's profile.
  ASSERT_TRUE(platform::FolderExists(platform::ReportFallbackFolder()));
  const tools::TempFolder temp;
  const std::pair<fs::path, fs::path> documents[] = {{temp.path(), temp.path()},
                                                     {temp.path() / "gone", _wgetenv(L"USERPROFILE")}};
  for (const auto& [moved_to, fallback] : documents) {
    const tools::ScopedDocumentsFolder moved(moved_to);
    EXPECT_EQ(platform::ReportFallbackFolder(), (fallback / "").native()) << moved_to;
  }
  EXPECT_EQ(platform::DriveDisplayName({L"D:\\", "GAMES"}), "D: [GAMES]");
  unsigned char buffer[16];
  std::size_t length = 0;
  EXPECT_EQ(platform::ReadFileHead(L"NUL", buffer, sizeof buffer, &length).message(),
            "cannot read \"\\\\.\\NUL\": not a regular file");
  EXPECT_EQ(platform::FileError("create", L"..\\GroundStyles.txt", "why").message(),
            "cannot create \"" + (fs::current_path().parent_path() / "GroundStyles.txt").string() + "\": why");
}

}  // namespace
