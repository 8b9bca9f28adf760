#include "platform/drives.h"

#include <gtest/gtest.h>

#include "platform/mountinfo.h"

namespace platform {
namespace {

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
  for (const auto& [path, index] : {std::pair("/", 0u), {"/etc", 0u}, {"/home", 1u}, {"/home/ann/", 1u},
                                    {"/homework", 0u}, {"/media/usb/maps", 2u}}) {
    EXPECT_EQ(DriveIndexOf(drives, path), index) << path;
  }
  EXPECT_EQ(DriveIndexOf({{"/media/usb", ""}}, "/etc"), 1u);
}

}  // namespace
}  // namespace platform
