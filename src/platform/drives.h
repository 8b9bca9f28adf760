// The drives a user picks from: on POSIX the root and the mounted volumes a
// user browses, on Windows the drive letters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"

namespace platform {

struct Drive {
  NativeString root;   // "/", "/media/usb" or "C:\"; ends in the separator only at "/" or "C:\"
  std::string label;   // the volume label in UTF-8, empty when there is none

  bool operator==(const Drive&) const = default;
};

// The text a drive list shows for a drive: its root, and the label in brackets.
std::string DriveDisplayName(const Drive& drive);

// Where drives come from; tests hand the window drives of their own.
class DriveSource {
 public:
  virtual ~DriveSource() = default;
  // The drives in the order the list shows them.
  virtual std::vector<Drive> ListDrives() const = 0;
};

// The machine's own drives.
std::unique_ptr<DriveSource> SystemDrives();

// The index of the drive whose root holds `path` (the longest that does), or
// drives.size() when none does.
std::size_t DriveIndexOf(const std::vector<Drive>& drives, const NativeString& path);

}  // namespace platform
