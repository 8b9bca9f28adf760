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

// Both in one pass over `folder`: its subfolders, links listed, and its map
// files, as ListSubfolders and ListMapFiles give them.
Status ListFolder(const NativeString& folder, std::vector<NativeString>* subfolders, std::vector<NativeString>* maps);

namespace internal {
// The system's listing behind the three above: `folder` once, unsorted, its
// subfolders added to `subfolders` and its map files to `maps` (either may be null).
Status ListEntries(const NativeString& folder, FolderLinks links, std::vector<NativeString>* subfolders,
                   std::vector<NativeString>* maps);
}  // namespace internal

// What an entry is to the folder and file lists.
enum class EntryKind { kNone, kMapFile, kFolder };

// What the entry `*name` of `folder` is now, as ListFolder would list it:
// kNone when it is missing, hidden or neither. `*name` becomes the name the
// folder lists it by (on Windows, the long name for a short one, in the case
// the folder holds it).
EntryKind ListedEntry(const NativeString& folder, NativeString* name);

// True when the system may name an entry that went by another name than the
// one it is listed by (on Windows, a short 8.3 name, which holds a '~').
bool MayNameAnotherWay(const NativeString& name);

}  // namespace platform
