// Drives on POSIX: the root and the volumes mounted where a user browses them.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/drives.h"
#include "platform/mountinfo.h"

namespace platform {

namespace {

constexpr std::array<std::string_view, 24> kPseudoFileSystems = {
    "proc",     "sysfs",      "tmpfs",       "devtmpfs",   "devpts",      "cgroup",
    "cgroup2",  "mqueue",     "debugfs",     "tracefs",    "securityfs",  "pstore",
    "bpf",      "autofs",     "hugetlbfs",   "configfs",   "fusectl",     "binfmt_misc",
    "efivarfs", "ramfs",      "rpc_pipefs",  "nsfs",       "fuse.gvfsd-fuse", "fuse.portal"};

bool IsBrowsedMountPoint(const std::string& point) {
  if (point == "/home") return true;
  for (std::string_view prefix : {"/media/", "/run/media/", "/mnt/"}) {
    if (point.size() > prefix.size() && point.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

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

std::string UnescapeMountText(std::string_view text) {
  const auto digit = [](char c, int base) -> int {
    if (c >= '0' && c <= '7') return c - '0';
    if (base == 16 && c >= '8' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && digit(text[i + 2], 16) >= 0 &&
        digit(text[i + 3], 16) >= 0) {
      out += static_cast<char>(digit(text[i + 2], 16) * 16 + digit(text[i + 3], 16));
      i += 3;
    } else if (text[i] == '\\' && i + 3 < text.size() && digit(text[i + 1], 8) >= 0 && digit(text[i + 2], 8) >= 0 &&
               digit(text[i + 3], 8) >= 0) {
      out += static_cast<char>(digit(text[i + 1], 8) * 64 + digit(text[i + 2], 8) * 8 + digit(text[i + 3], 8));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<Drive> DrivesFromMountInfo(std::string_view mountinfo,
                                       const std::map<std::string, std::string>& labels) {
  std::map<std::string, Drive> by_point;  // a later mount on the same point hides the earlier one
  std::istringstream lines{std::string(mountinfo)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point, options, field;
    if (!(fields >> id >> parent >> numbers >> root >> point >> options)) continue;
    while (fields >> field && field != "-") {
    }
    std::string type, source;
    if (!(fields >> type >> source)) continue;
    point = UnescapeMountText(point);
    const bool pseudo = std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), type) !=
                        kPseudoFileSystems.end();
    if (point != "/" && (pseudo || !IsBrowsedMountPoint(point))) continue;
    const auto label = labels.find(UnescapeMountText(source));
    by_point[point] = Drive{point, label == labels.end() ? std::string() : label->second};
  }
  by_point.try_emplace("/", Drive{"/", ""});
  std::vector<Drive> drives;
  for (auto& [point, drive] : by_point) drives.push_back(std::move(drive));
  return drives;  // "/" sorts first
}

std::unique_ptr<DriveSource> SystemDrives() { return std::make_unique<SystemDriveSource>(); }

}  // namespace platform
