// Drives on Windows: the drive letters in use, with their volume labels.
#include <windows.h>

#include "platform/drives.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

class SystemDriveSource : public DriveSource {
 public:
  std::vector<Drive> ListDrives() const override {
    std::vector<Drive> drives;
    const DWORD letters = GetLogicalDrives();
    internal::QuietDriveErrors quiet;  // a drive with no medium answers without a dialog
    for (int i = 0; i < 26; ++i) {
      if ((letters & (1u << i)) == 0) continue;
      Drive drive;
      drive.root = {static_cast<wchar_t>(L'A' + i), L':', L'\\'};
      wchar_t label[MAX_PATH + 1] = {};
      if (GetVolumeInformationW(drive.root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        drive.label = ToUtf8(label);
      }
      drives.push_back(std::move(drive));
    }
    return drives;
  }
};

}  // namespace

std::unique_ptr<DriveSource> SystemDrives() { return std::make_unique<SystemDriveSource>(); }

}  // namespace platform
