// What only Windows shows: drive letters, '\', the ANSI code page, hidden and
// system files. These run under wine, where C: is the wine prefix's drive.
#include <windows.h>

#include <gtest/gtest.h>

#include "map_writer.h"
#include "platform/drives.h"
#include "platform/listing.h"
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
