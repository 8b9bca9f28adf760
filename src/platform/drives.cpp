#include "platform/drives.h"

#include <algorithm>

#include "platform/paths.h"

namespace platform {

namespace {

bool SameChar(NativeChar a, NativeChar b) {
#ifdef _WIN32
  const auto upper = [](NativeChar c) { return c >= L'a' && c <= L'z' ? NativeChar(c - L'a' + L'A') : c; };
  return upper(a) == upper(b);
#else
  return a == b;
#endif
}

// True when `path` is `root` or lies below it.
bool Holds(const NativeString& root, const NativeString& path) {
  if (path.size() < root.size() || !std::equal(root.begin(), root.end(), path.begin(), SameChar)) return false;
  return path.size() == root.size() || root.back() == kSeparator || path[root.size()] == kSeparator;
}

}  // namespace

std::string DriveDisplayName(const Drive& drive) {
  NativeString root = drive.root;
  // A drive letter shows as "C:", without the separator of its root folder.
  if (root.size() == 3 && root[1] == ':' && root[2] == kSeparator) root.pop_back();
  std::string text = ToUtf8(root);
  if (!drive.label.empty()) text += " [" + drive.label + "]";
  return text;
}

std::size_t DriveIndexOf(const std::vector<Drive>& drives, const NativeString& path) {
  std::size_t best = drives.size();
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (Holds(drives[i].root, path) && (best == drives.size() || drives[i].root.size() > drives[best].root.size())) {
      best = i;
    }
  }
  return best;
}

}  // namespace platform
