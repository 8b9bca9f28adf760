#include "map_tree.h"

#include "platform/listing.h"
#include "platform/paths.h"

namespace cli {

namespace {

// `base` + separator + `name`, without doubling a separator at a drive's
// root; either alone when the other is empty.
platform::NativeString Join(const platform::NativeString& base, const platform::NativeString& name) {
  if (base.empty()) return name;
  if (name.empty()) return base;
  if (base.back() == platform::kSeparator) return base + name;
  return base + platform::kSeparator + name;
}

}  // namespace

platform::Status ListMapTree(const platform::NativeString& folder, bool recursive,
                             std::vector<platform::NativeString>* names) {
  names->clear();
  // Folders still to list, by their path under `folder`, the next one last.
  std::vector<platform::NativeString> pending = {platform::NativeString()};
  std::vector<platform::NativeString> listed;
  while (!pending.empty()) {
    const platform::NativeString under = std::move(pending.back());
    pending.pop_back();
    const platform::NativeString path = Join(folder, under);
    if (auto status = platform::ListMapFiles(path, &listed); !status.ok()) return status;
    for (const platform::NativeString& name : listed) names->push_back(Join(under, name));
    if (!recursive) break;
    if (auto status = platform::ListSubfolders(path, &listed, platform::FolderLinks::kLeftOut); !status.ok()) {
      return status;
    }
    for (auto subfolder = listed.rbegin(); subfolder != listed.rend(); ++subfolder) {
      pending.push_back(Join(under, *subfolder));
    }
  }
  return platform::Status::Ok();
}

}  // namespace cli
