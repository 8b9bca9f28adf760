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
// file's placeholder, which is a reparse point too. A listed entry that is a
// reparse point holds its tag in EaSize.
bool IsLink(const FILE_FULL_DIR_INFO& entry) {
  if ((entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  const DWORD tag = entry.EaSize;
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

bool IsHiddenOrSystem(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

// `folder` + separator + `name`.
NativeString ChildPath(const NativeString& folder, const NativeString& name) {
  NativeString path = folder;
  if (!path.empty() && path.back() != kSeparator && path.back() != L'/') path += kSeparator;
  return path + name;
}

// The error a listing of `folder` failed with, the same for a file's name
// whatever the system answered (wine and Windows answer differently).
Status ListingError(const NativeString& folder, DWORD error) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) error = ERROR_DIRECTORY;
  return FileError("list", folder, internal::WindowsErrorText(error));
}

// Closes a folder's handle on every path out of a listing.
class FolderHandle {
 public:
  explicit FolderHandle(HANDLE handle) : handle_(handle) {}
  ~FolderHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

namespace internal {

// The folder's entries come many to a call, from its handle, without short
// names: under wine 20,000 maps list in 95 ms this way and in 120 ms one
// FindNextFileW at a time.
Status ListEntries(const NativeString& folder, FolderLinks links, std::vector<NativeString>* subfolders,
                   std::vector<NativeString>* maps) {
  internal::QuietDriveErrors quiet;
  if (folder.find(L'\0') != NativeString::npos) {
    return FileError("list", folder, internal::WindowsErrorText(ERROR_INVALID_NAME));
  }
  // With a separator at its end, as "C:" names the drive's current folder and "C:\" its root.
  const FolderHandle handle(CreateFileW(ChildPath(folder, L"").c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    // A folder that is not there is a path not found, as a listing by pattern says.
    const DWORD error = GetLastError();
    return ListingError(folder, error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
  }
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic)) {
    return ListingError(folder, GetLastError());
  }
  if ((basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ListingError(folder, ERROR_DIRECTORY);
  // Aligned as the entries' 64-bit fields need.
  std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
  FILE_INFO_BY_HANDLE_CLASS next = FileFullDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(handle.get(), next, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
    next = FileFullDirectoryInfo;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (;;) {
      const auto& entry = *reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
      NativeString name(entry.FileName, entry.FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L".." && !IsHiddenOrSystem(entry.FileAttributes)) {
        if ((entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (subfolders != nullptr && (links == FolderLinks::kListed || !IsLink(entry))) {
            subfolders->push_back(std::move(name));
          }
        } else if (maps != nullptr && MatchesMapPattern(name)) {
          maps->push_back(std::move(name));
        }
      }
      if (entry.NextEntryOffset == 0) break;
      bytes += entry.NextEntryOffset;
    }
  }
  // The end of the entries; an empty drive root has none from the first.
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND) return ListingError(folder, error);
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
