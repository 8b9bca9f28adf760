// Reading the kernel's mount table into the drives a user browses.
#include <algorithm>
#include <array>
#include <sstream>

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

}  // namespace platform
