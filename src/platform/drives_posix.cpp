// Drives on POSIX: the root and the volumes mounted where a user browses them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/drives.h"
#include "platform/mountinfo.h"

namespace platform {

namespace {

class SystemDriveSource : public DriveSource {
 public:
  std::vector<Drive> ListDrives() const override {
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    return DrivesFromMountInfo(text.str(), Labels());
  }

 private:
  // Device path -> volume label, from the links in /dev/disk/by-label.
  static std::map<std::string, std::string> Labels() {
    std::map<std::string, std::string> labels;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-label", error)) {
      std::error_code ignored;
      const auto device = std::filesystem::canonical(entry.path(), ignored);
      if (!ignored) labels[device.string()] = UnescapeMountText(entry.path().filename().string());
    }
    return labels;
  }
};

}  // namespace

std::unique_ptr<DriveSource> SystemDrives() { return std::make_unique<SystemDriveSource>(); }

}  // namespace platform
