#include "platform/file_head.h"

#include <gtest/gtest.h>

#include "map_writer.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

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
