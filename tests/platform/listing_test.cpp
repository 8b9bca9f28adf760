#include "platform/listing.h"

#include <gtest/gtest.h>

#include "map_writer.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(Listing, MapFilesMatchWithoutCaseSortWithoutCaseAndKeepTheirBytes) {
  tools::TempFolder temp;
  const fs::path& folder = temp.path();
  const std::string latin1 = "\xE9t\xE9.MAP";  // not UTF-8: listed as it is, after ASCII
  for (std::string name : {"b.map", "a.MAP", "A.MAP", "c.Map", ".hidden.MAP", "notes.txt", "MAP", "x.maps"}) {
    tools::WriteFile(folder / name, "");
  }
  tools::WriteFile(folder / latin1, "");
  fs::create_directory(folder / "X.MAP");                                // a folder is not a map
  fs::create_symlink(folder / "b.map", folder / "LINK.MAP");             // a link to a map is one
  fs::create_directory_symlink(folder / "X.MAP", folder / "DIRLINK.MAP");  // a link to a folder is not
  fs::create_symlink(folder / "gone", folder / "DANGLING.MAP");           // nor a link to nothing

  std::vector<NativeString> names;
  ASSERT_TRUE(ListMapFiles(folder.native(), &names).ok());
  EXPECT_EQ(names, (std::vector<NativeString>{"A.MAP", "a.MAP", "b.map", "c.Map", "LINK.MAP", latin1}));

  ASSERT_TRUE(ListSubfolders(folder.native(), &names).ok());
  EXPECT_EQ(names, (std::vector<NativeString>{"DIRLINK.MAP", "X.MAP"}));
  ASSERT_TRUE(ListSubfolders(folder.native(), &names, FolderLinks::kLeftOut).ok());
  EXPECT_EQ(names, (std::vector<NativeString>{"X.MAP"}));

  std::vector<NativeString> subfolders;
  ASSERT_TRUE(ListFolder(folder.native(), &subfolders, &names).ok());
  EXPECT_EQ(subfolders, (std::vector<NativeString>{"DIRLINK.MAP", "X.MAP"}));
  EXPECT_EQ(names, (std::vector<NativeString>{"A.MAP", "a.MAP", "b.map", "c.Map", "LINK.MAP", latin1}));
  // Each entry looked up alone is what the listing takes it for.
  const std::vector<std::pair<NativeString, EntryKind>> entries = {
      {"b.map", EntryKind::kMapFile},    {"LINK.MAP", EntryKind::kMapFile}, {"X.MAP", EntryKind::kFolder},
      {"DIRLINK.MAP", EntryKind::kFolder}, {".hidden.MAP", EntryKind::kNone}, {"notes.txt", EntryKind::kNone},
      {"DANGLING.MAP", EntryKind::kNone},  {"B.MAP", EntryKind::kNone},      {"X.MAP/..", EntryKind::kNone}};
  for (const auto& [entry, kind] : entries) {
    NativeString name = entry;
    EXPECT_EQ(ListedEntry(folder.native(), &name), kind) << entry;
    EXPECT_EQ(name, entry);
  }

  EXPECT_EQ(ListMapFiles("/no/such/folder", &names).message(),
            "cannot list \"/no/such/folder\": No such file or directory");
  EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace platform
