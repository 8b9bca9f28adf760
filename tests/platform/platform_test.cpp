#include "platform/platform.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "map_writer.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(Text, CharacterCountCountsCodePointsAndStrayBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("KLIN.MAP"), 8u);
  EXPECT_EQ(CharacterCount("\xC3\x9C" "bung"), 5u);              // 2-byte sequence
  EXPECT_EQ(CharacterCount("\xE5\x9C\xB0\xE5\x9B\xBE"), 2u);     // two CJK characters
  EXPECT_EQ(CharacterCount("\xF0\x9F\x97\xBA"), 1u);             // a 4-byte sequence
  EXPECT_EQ(CharacterCount("\xFF\xFE"), 2u);                     // not UTF-8 at all
  EXPECT_EQ(CharacterCount("\xC3"), 1u);                         // cut short
  EXPECT_EQ(CharacterCount("\xC0\xAF"), 2u);                     // overlong '/'
  EXPECT_EQ(CharacterCount("\xED\xA0\x80"), 3u);                 // a surrogate
  EXPECT_EQ(CharacterCount("\xF4\x90\x80\x80"), 4u);             // past U+10FFFF
}

TEST(Text, ToUtf8ReplacesOnlyInvalidBytes) {
  EXPECT_EQ(ToUtf8("\xC3\x9C" "bung"), "\xC3\x9C" "bung");
  EXPECT_EQ(ToUtf8("A\xFF" "B"), "A\xEF\xBF\xBD" "B");
  EXPECT_EQ(ToReportText("A\xFF" "B"), "A\xFF" "B");  // the report keeps the bytes
}

TEST(Folders, ExistsOnlyForFolders) {
  tools::TempFolder temp;
  tools::WriteFile(temp.path() / "file", "x");
  fs::create_directory_symlink(temp.path(), temp.path() / "link");
  EXPECT_TRUE(FolderExists(temp.path().native()));
  EXPECT_TRUE(FolderExists(temp.path().native() + "/"));
  EXPECT_TRUE(FolderExists((temp.path() / "link").native()));
  EXPECT_FALSE(FolderExists((temp.path() / "file").native()));
  EXPECT_FALSE(FolderExists((temp.path() / "missing").native()));
  EXPECT_FALSE(FolderExists(""));
}

TEST(Folders, FallbackIsHomeWithASeparator) {
  const char* old = std::getenv("HOME");
  const std::string saved = old ? old : "";
  setenv("HOME", "/srv/someone", 1);
  EXPECT_EQ(ReportFallbackFolder(), "/srv/someone/");
  setenv("HOME", "/srv/someone/", 1);
  EXPECT_EQ(ReportFallbackFolder(), "/srv/someone/");
  unsetenv("HOME");  // then the password database answers
  const std::string from_passwd = ReportFallbackFolder();
  EXPECT_FALSE(from_passwd.empty());
  EXPECT_EQ(from_passwd.back(), '/');
  if (old) setenv("HOME", saved.c_str(), 1);
}

TEST(ReadFileHead, ReadsUpToCapacityAndRefusesWhatIsNotAFile) {
  tools::TempFolder temp;
  tools::WriteFile(temp.path() / "ten", "0123456789");
  unsigned char buffer[8];
  std::size_t length = 99;
  ASSERT_TRUE(ReadFileHead((temp.path() / "ten").native(), buffer, sizeof buffer, &length).ok());
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), "01234567");

  // A FIFO with no writer would block an ordinary open for ever.
  const auto fifo = temp.path() / "PIPE.MAP";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const Status status = ReadFileHead(fifo.native(), buffer, sizeof buffer, &length);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.message(), "cannot read \"" + fifo.string() + "\": not a regular file");

  const Status device = ReadFileHead("/dev/null", buffer, sizeof buffer, &length);
  EXPECT_EQ(device.message(), "cannot read \"/dev/null\": not a regular file");
}

TEST(FolderFiles, ReadsByNameAndNamesTheWholePathWhenItCannot) {
  tools::TempFolder temp;
  fs::create_directory(temp.path() / "sub");
  tools::WriteFile(temp.path() / "sub" / "A.MAP", "abc");
  tools::WriteFile(temp.path() / "B.MAP", "de");
  unsigned char buffer[8];
  std::size_t length = 0;
  const FolderFiles folder(temp.path().native());
  ASSERT_TRUE(folder.ReadFileHead("B.MAP", buffer, sizeof buffer, &length).ok());
  EXPECT_EQ(length, 2u);
  ASSERT_TRUE(folder.ReadFileHead("sub/A.MAP", buffer, sizeof buffer, &length).ok());
  EXPECT_EQ(length, 3u);
  // A name starting with the separator stays inside the folder, as the joined path does.
  ASSERT_TRUE(FolderFiles(temp.path().native()).ReadFileHead("/B.MAP", buffer, sizeof buffer, &length).ok());
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(folder.ReadFileHead("C.MAP", buffer, sizeof buffer, &length).message(),
            "cannot open \"" + (temp.path() / "C.MAP").string() + "\": No such file or directory");
  EXPECT_EQ(FolderFiles("/no/such").ReadFileHead("C.MAP", buffer, sizeof buffer, &length).message(),
            "cannot open \"/no/such/C.MAP\": No such file or directory");
  EXPECT_EQ(folder.ReadFileHead(std::string("B.MAP\0x", 7), buffer, sizeof buffer, &length).message(),
            "cannot open \"" + temp.path().string() + "/B.MAP?x\": Invalid argument");
}

}  // namespace
}  // namespace platform
