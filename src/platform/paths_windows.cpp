// Paths on Windows: the separator is '\', and the user's Documents folder
// stands in for the first drive's root.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/paths.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

// The path of a known folder as the system names it (moved by the user or
// their administrator, perhaps); empty when the system has none that exists.
NativeString KnownFolder(const KNOWNFOLDERID& id) {
  wchar_t* path = nullptr;
  NativeString folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) folder = path;
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

bool FolderExists(const NativeString& path) {
  // A name holding a NUL cannot exist; the system would see only its start.
  if (path.empty() || path.find(L'\0') != NativeString::npos) return false;
  internal::QuietDriveErrors quiet;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// "~" is a name like any other on Windows.
NativeString ExpandHome(const NativeString& path) { return path; }

std::string NotAFolderReason(const NativeString& path) {
  if (path.empty()) return internal::WindowsErrorText(ERROR_PATH_NOT_FOUND);
  if (path.find(L'\0') != NativeString::npos) return internal::WindowsErrorText(ERROR_INVALID_NAME);
  internal::QuietDriveErrors quiet;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return internal::WindowsErrorText(GetLastError());
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? std::string() : internal::WindowsErrorText(ERROR_DIRECTORY);
}

// C:\ takes no new file from ordinary users on current Windows, so the report
// goes to a folder of the user's own.
NativeString ReportFallbackFolder() {
  NativeString folder = KnownFolder(FOLDERID_Documents);
  if (folder.empty()) folder = KnownFolder(FOLDERID_Profile);
  if (folder.empty()) folder = AbsolutePath(L".");
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

NativeString AbsolutePath(const NativeString& path) {
  if (path.empty() || path.find(L'\0') != NativeString::npos) return path;
  NativeString full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);  // the length needed, with its terminating NUL
  }
}

}  // namespace platform
