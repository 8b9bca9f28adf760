// Folder listing on Windows: hidden and system entries are left out, as the
// system's own file lists do.
#include <windows.h>

#include <algorithm>

#include "platform/file_error.h"
#include "platform/listing.h"
#include "platform/paths.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

enum class EntryType { kFile, kFolder };

// True for a link to a folder that is elsewhere: a symbolic link, a junction,
// or a reparse point with no tag, as wine shows a POSIX link. Not a cloud
// file's placeholder, which is a reparse point too.
bool IsLink(const WIN32_FIND_DATAW& entry) {
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  const DWORD tag = entry.dwReserved0;
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

Status List(const NativeString& folder, EntryType wanted, FolderLinks links, std::vector<NativeString>* names) {
  names->clear();
  NativeString pattern = folder;
  if (!pattern.empty() && pattern.back() != kSeparator && pattern.back() != L'/') pattern += kSeparator;
  pattern += L'*';
  internal::QuietDriveErrors quiet;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();  // an empty drive root
    // A file's name: wine and Windows give different errors, the reason is one.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) error = ERROR_DIRECTORY;
    return FileError("list", folder, internal::WindowsErrorText(error));
  }
  do {
    const NativeString name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    const bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (is_folder && links == FolderLinks::kLeftOut && IsLink(entry)) continue;
    if (wanted == EntryType::kFolder ? is_folder : (!is_folder && MatchesMapPattern(name))) names->push_back(name);
  } while (FindNextFileW(find, &entry));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) return FileError("list", folder, internal::WindowsErrorText(error));
  std::sort(names->begin(), names->end(), NameLess);
  return Status::Ok();
}

}  // namespace

Status ListMapFiles(const NativeString& folder, std::vector<NativeString>* names) {
  return List(folder, EntryType::kFile, FolderLinks::kListed, names);
}

Status ListSubfolders(const NativeString& folder, std::vector<NativeString>* names, FolderLinks links) {
  return List(folder, EntryType::kFolder, links, names);
}

}  // namespace platform
