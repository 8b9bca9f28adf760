// Listing a folder the way the window's folder and file lists show it.
#pragma once

#include <vector>

#include "platform/status.h"
#include "platform/text.h"

namespace platform {

// True when `name` ends in ".MAP", compared without regard to case.
bool MatchesMapPattern(const NativeString& name);

// Orders names without regard to case, ties by their bytes.
bool NameLess(const NativeString& a, const NativeString& b);

// The names of the files in `folder` (links followed) that match *.MAP, hidden
// ones left out, in NameLess order.
Status ListMapFiles(const NativeString& folder, std::vector<NativeString>* names);

// Whether a link to a folder (on Windows a symbolic link or a junction) is listed as a folder.
enum class FolderLinks { kListed, kLeftOut };

// The names of the folders in `folder` (links followed unless left out),
// hidden ones left out, in NameLess order.
Status ListSubfolders(const NativeString& folder, std::vector<NativeString>* names,
                      FolderLinks links = FolderLinks::kListed);

}  // namespace platform
