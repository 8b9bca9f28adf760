// What only Windows shows: drive letters, '\', the ANSI code page, hidden and
// system files. These run under wine, where C: is the wine prefix's drive.
#include <windows.h>

#include <gtest/gtest.h>

#include "map_writer.h"
#include "platform/drives.h"
#include "platform/file_error.h"
#include "platform/listing.h"
#include "platform/paths.h"
#include "platform/windows_text.h"
#include "scan/report.h"
#include "scan/run_scan.h"
#include "scoped_settings.h"

namespace {

namespace fs = std::filesystem;
using platform::NativeString;

// Maps at the drive's root, named in and out of the code page; the longest is 26 characters.
const std::vector<NativeString> kRootMaps = {L"ARRACT.MAP", L"\u00DCbung.MAP", L"\u5730\u56FE.MAP",
                                             L"\u00C9" + NativeString(21, L'A') + L".MAP"};

// Makes C:\maps and removes it, the maps at C:\ and whatever report went there.
class DriveC : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1252u) << "these expectations are written for the Western code page";
    TearDown();
    fs::create_directories(L"C:\\maps");
  }
  void TearDown() override {
    std::error_code ignored;
    std::vector<fs::path> paths = {L"C:\\maps", L"C:\\GroundStyles.txt"};
    for (const NativeString& name : kRootMaps) paths.push_back(L"C:\\" + name);
    for (const fs::path& path : paths) fs::remove_all(path, ignored);
  }
};

// The report may go to the drive's root, typed with either separator, and maps
// there are read through a doubled separator, C:\\ARRACT.MAP. Their names are
// written in the code page and counted in UTF-16 units.
TEST_F(DriveC, ReportAndMapsMayBeAtTheDriveRoot) {
  for (const NativeString& name : kRootMaps) tools::WriteFile(L"C:\\" + name, tools::MapBytes({7}, 8));
  for (const NativeString& root : {NativeString(L"C:\\"), NativeString(L" C:/ ")}) {
    EXPECT_EQ(scan::ResolveReportFolder(root), L"C:\\");
    fs::remove(L"C:\\GroundStyles.txt");
    const scan::ScanRequest request = {.report_folder_text = root,
                                       .listed_folder = L"C:\\",
                                       .listed_names = kRootMaps,
                                       .selection = scan::TerrainSelection::All()};
    ASSERT_TRUE(scan::RunScan(request, scan::TerrainCatalogue(), {}).ok());
    EXPECT_EQ(tools::ReadFile(L"C:\\GroundStyles.txt"), scan::ReportHeaderText(L"C:\\", 4) +
                                                            "* ARRACT.MAP            : Sand, \r\n"
                                                            "  \xDC" "bung.MAP             : Sand, \r\n"
                                                            "  ??.MAP                : Sand, \r\n"
                                                            "\xC9" + std::string(21, 'A') + ".MAP: Sand, \r\n");
  }
}

// A name the code page lacks a character of is written with '?' in its place,
// never as a look-alike that names another file: Omega.MAP beside the map
// whose name starts with a capital omega, and the folder in the header too.
TEST_F(DriveC, ACharacterTheCodePageLacksIsWrittenAsAQuestionMark) {
  for (int byte = 1; byte < 256; ++byte) {  // no byte of the code page reads as a capital omega
    const char narrow = static_cast<char>(byte);
    wchar_t wide = 0;
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1), 1);
    ASSERT_NE(wide, L'\u03A9') << byte;
  }
  const fs::path folder = L"C:\\maps\\\u03A9";
  const std::vector<NativeString> names = {L"\u03A9mega.MAP", L"Omega.MAP"};
  fs::create_directory(folder);
  tools::WriteFile(folder / names[0], tools::MapBytes({7}));   // Sand
  tools::WriteFile(folder / names[1], tools::MapBytes({11}));  // Fortification
  const scan::ScanRequest request = {.report_folder_text = L"C:\\maps",
                                     .listed_folder = folder.native(),
                                     .listed_names = names,
                                     .selection = scan::TerrainSelection::All()};
  ASSERT_TRUE(scan::RunScan(request, scan::TerrainCatalogue(), {}).ok());
  const std::string report = tools::ReadFile(L"C:\\maps\\GroundStyles.txt");
  EXPECT_EQ(report.substr(0, report.find('\r')), "Number of *.MAP files in C:\\maps\\? :  2");
  EXPECT_EQ(report.substr(report.find("=\r\n\r\n") + 5),
            "  ?mega.MAP             : Sand, \r\n"
            "  Omega.MAP             : Fortification, \r\n");
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

// A folder is listed whole however many calls its entries take (with names
// of 200 characters, 400 maps fill several), and a file's name is not a folder.
TEST_F(DriveC, AFolderOfManyLongNamesIsListedWhole) {
  std::vector<NativeString> written;
  for (int i = 0; i < 400; ++i) {
    const NativeString number = std::to_wstring(1000 + i).substr(1);
    written.push_back(number + NativeString(193, L'x') + L".MAP");
    tools::WriteFile(fs::path(L"C:\\maps") / written.back(), "");
  }
  std::vector<NativeString> names;
  ASSERT_TRUE(platform::ListMapFiles(L"C:\\maps", &names).ok());
  EXPECT_EQ(names, written);
  const NativeString file = L"C:\\maps\\" + written.front();
  EXPECT_EQ(platform::ListMapFiles(file, &names).message(),
            "cannot list \"" + platform::ToUtf8(file) + "\": " + platform::internal::WindowsErrorText(ERROR_DIRECTORY));
}

// Which folders exist is met through the scan's table of typed report folders.
TEST(WindowsPlatform, FoldersDrivesAndDevices) {
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
