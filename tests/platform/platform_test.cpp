#include "platform/platform.h"

#include <gtest/gtest.h>

#include "map_writer.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(Text, ReportTextWidthCountsCodePointsAndStrayBytes) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"KLIN.MAP", 8},     {"\xC3\x9C" "bung", 5},  {"\xE5\x9C\xB0\xE5\x9B\xBE", 2},  // 2- and 3-byte sequences
      {"\xF0\x9F\x97\xBA", 1}, {"\xFF\xFE", 2},     {"\xC3", 1},                       // 4 bytes; stray; cut short
      {"\xC0\xAF", 2},     {"\xED\xA0\x80", 3},     {"\xF4\x90\x80\x80", 4}};         // overlong, surrogate, too big
  for (const auto& [text, count] : cases) EXPECT_EQ(ReportTextWidth(text), count) << text;
  EXPECT_EQ(ToUtf8("A\xFF" "B\xC3\x9C"), "A\xEF\xBF\xBD" "B\xC3\x9C");
  EXPECT_EQ(ToReportText("A\xFF" "B"), "A\xFF" "B");  // the report keeps the bytes
}

// Folders, files, links, missing folders, names holding a NUL and HOME are met
// through the scan's table of typed report folders.
TEST(Folders, FallbackWithoutHomeIsTheUsersHome) {
  tools::ScopedEnvironment home("HOME", "");  // then the password database answers
  EXPECT_EQ(ReportFallbackFolder().back(), '/');
}

TEST(FileError, NamesThePathAsTheSystemResolvesIt) {
  tools::TempFolder temp;
  fs::create_directories(temp.path() / "a" / "b");
  fs::create_directory_symlink(temp.path() / "a" / "b", temp.path() / "link");
  const fs::path here = fs::current_path();
  const std::pair<fs::path, fs::path> cases[] = {
      {"../GroundStyles.txt", here.parent_path() / "GroundStyles.txt"},
      {"GroundStyles.txt", here / "GroundStyles.txt"},
      {temp.path() / "link/../GroundStyles.txt", temp.path() / "a/GroundStyles.txt"},  // ".." after a link
      {temp.path() / "a/./b/..", temp.path() / "a"},
      {temp.path() / "link", temp.path() / "link"},  // a link names itself
      {"/no/such/../GroundStyles.txt", "/no/GroundStyles.txt"}};
  for (const auto& [given, shown] : cases) {
    EXPECT_EQ(FileError("create", given.native(), "why").message(), "cannot create \"" + shown.string() + "\": why");
  }
}

TEST(FolderFiles, ReadsUpToCapacityByNameAndNamesTheWholePathWhenItCannot) {
  tools::TempFolder temp;
  fs::create_directory(temp.path() / "sub");
  tools::WriteFile(temp.path() / "sub" / "A.MAP", "0123456789");
  tools::WriteFile(temp.path() / "B.MAP", "de");
  unsigned char buffer[8];
  std::size_t length = 0;
  const FolderFiles folder(temp.path().native());
  // Bare names, names with a folder, and a name starting with the separator,
  // which stays inside the folder as the joined path does.
  for (const auto& [name, size] : {std::pair("B.MAP", 2u), {"sub/A.MAP", 8u}, {"/B.MAP", 2u}}) {
    ASSERT_TRUE(folder.ReadFileHead(name, buffer, sizeof buffer, &length).ok()) << name;
    EXPECT_EQ(length, size) << name;
  }
  EXPECT_EQ(FolderFiles("/no/such").ReadFileHead("C.MAP", buffer, sizeof buffer, &length).message(),
            "cannot open \"/no/such/C.MAP\": No such file or directory");
  EXPECT_EQ(folder.ReadFileHead(std::string("B.MAP\0x", 7), buffer, sizeof buffer, &length).message(),
            "cannot open \"" + temp.path().string() + "/B.MAP?x\": Invalid argument");
}

}  // namespace
}  // namespace platform
