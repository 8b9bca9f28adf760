#include "platform/listing.h"

#include <gtest/gtest.h>

#include "map_writer.h"
#include "platform/drives.h"
#include "platform/mountinfo.h"

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

  EXPECT_EQ(ListMapFiles("/no/such/folder", &names).message(),
            "cannot list \"/no/such/folder\": No such file or directory");
  EXPECT_TRUE(names.empty());
}

TEST(Drives, MountTableGivesRootAndBrowsedVolumes) {
  const std::string mountinfo =
      "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "28 27 0:25 / /mnt/tools ro,nosuid - tmpfs none ro,size=4k\n"
      "29 27 8:17 / /media/ann/MY\\040STICK rw,nosuid shared:5 - vfat /dev/sdb1 rw\n"
      "30 27 8:2 / /home rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
      "31 27 8:3 / /srv/data rw - ext4 /dev/sda3 rw\n"
      "32 27 8:33 / /mnt/backup rw - ext4 /dev/sdc1 rw\n";
  const std::map<std::string, std::string> labels = {{"/dev/sdb1", "MY STICK"}};
  EXPECT_EQ(DrivesFromMountInfo(mountinfo, labels),
            (std::vector<Drive>{{"/", ""}, {"/home", ""}, {"/media/ann/MY STICK", "MY STICK"}, {"/mnt/backup", ""}}));
  EXPECT_EQ(DrivesFromMountInfo("", {}), (std::vector<Drive>{Drive{"/", ""}}));
  EXPECT_EQ(DriveDisplayName({"/media/ann/MY STICK", "MY STICK"}), "/media/ann/MY STICK [MY STICK]");
  EXPECT_EQ(UnescapeMountText("a\\x20b\\040c\\"), "a b c\\");
}

TEST(Drives, PathBelongsToTheDeepestRootThatHoldsIt) {
  const std::vector<Drive> drives = {{"/", ""}, {"/home", ""}, {"/media/usb", ""}};
  EXPECT_EQ(DriveIndexOf(drives, "/"), 0u);
  EXPECT_EQ(DriveIndexOf(drives, "/etc"), 0u);
  EXPECT_EQ(DriveIndexOf(drives, "/home"), 1u);
  EXPECT_EQ(DriveIndexOf(drives, "/home/ann/"), 1u);
  EXPECT_EQ(DriveIndexOf(drives, "/homework"), 0u);
  EXPECT_EQ(DriveIndexOf(drives, "/media/usb/maps"), 2u);
  EXPECT_EQ(DriveIndexOf({{"/media/usb", ""}}, "/etc"), 1u);
}

}  // namespace
}  // namespace platform
