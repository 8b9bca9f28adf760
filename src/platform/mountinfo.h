// Reading the kernel's mount table (/proc/self/mountinfo) into drives.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"

namespace platform {

// The drives in a mountinfo text: "/" first, then the volumes mounted at
// /home or under /media, /run/media or /mnt, in mount-point order; pseudo
// file systems are left out. `labels` maps a device path to its volume label.
std::vector<Drive> DrivesFromMountInfo(std::string_view mountinfo,
                                       const std::map<std::string, std::string>& labels);

// Undoes the octal escapes (\040 for a space) of mount points and the \xHH
// escapes of /dev/disk/by-label names.
std::string UnescapeMountText(std::string_view text);

}  // namespace platform
