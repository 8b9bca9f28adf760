// Folder listing on Windows: hidden and system entries are left out, as the
// system's own file lists do.
#include <windows.h>

#include "platform/file_error.h"
#include "platform/listing.h"
#include "platform/paths.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

// True for a link to a folder that is elsewhere: a symbolic link, a junction,
// or a reparse point with no tag, as wine shows a POSIX link. Not a cloud
// file's placeholder, which is a reparse point too.
bool IsLink(const WIN32_FIND_DATAW& entry) {
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  const DWORD tag = entry.dwReserved0;
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

bool IsHiddenOrSystem(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

// `folder` + separator + `name`.
NativeString ChildPath(const NativeString& folder, const NativeString& name) {
  NativeString path = folder;
  if (!path.empty() && path.back() != kSeparator && path.back() != L'/') path += kSeparator;
  return path + name;
}

}  // namespace

namespace internal {

Status ListEntries(const NativeString& folder, FolderLinks links, std::vector<NativeString>* subfolders,
                   std::vector<NativeString>* maps) {
  internal::QuietDriveErrors quiet;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileExW(ChildPath(folder, L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();  // an empty drive root
    // A file's name: wine and Windows give different errors, the reason is one.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) error = ERROR_DIRECTORY;
    return FileError("list", folder, internal::WindowsErrorText(error));
  }
  do {
    NativeString name = entry.cFileName;
    if (name == L"." || name == L".." || IsHiddenOrSystem(entry.dwFileAttributes)) continue;
    const bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (is_folder) {
      if (subfolders != nullptr && (links == FolderLinks::kListed || !IsLink(entry))) {
        subfolders->push_back(std::move(name));
      }
    } else if (maps != nullptr && MatchesMapPattern(name)) {
      maps->push_back(std::move(name));
    }
  } while (FindNextFileW(find, &entry));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) return FileError("list", folder, internal::WindowsErrorText(error));
  return Status::Ok();
}

}  // namespace internal

EntryKind ListedEntry(const NativeString& folder, NativeString* name) {
  if (*name == L"" || *name == L"." || *name == L".." || name->find_first_of(L"\\/*?") != NativeString::npos) {
    return EntryKind::kNone;
  }
  internal::QuietDriveErrors quiet;
  // Found as a listing finds it: by its long or its short name, in any case.
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileExW(ChildPath(folder, *name).c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return EntryKind::kNone;
  FindClose(find);
  *name = entry.cFileName;
  if (IsHiddenOrSystem(entry.dwFileAttributes)) return EntryKind::kNone;
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::kFolder;
  return MatchesMapPattern(*name) ? EntryKind::kMapFile : EntryKind::kNone;
}

bool MayNameAnotherWay(const NativeString& name) { return name.find(L'~') != NativeString::npos; }

}  // namespace platform
