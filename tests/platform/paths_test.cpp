#include "platform/paths.h"

#include <gtest/gtest.h>

#include "map_writer.h"
#include "platform/file_error.h"
#include "scoped_settings.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace platform
