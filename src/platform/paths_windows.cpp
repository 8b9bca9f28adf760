// Paths on Windows: the separator is '\', and the user's Documents folder
// stands in for the first drive's root.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/paths.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

// shell32's SHGetKnownFolderPath and ole32's CoTaskMemFree, loaded from the
// system's folder the first time a known folder is asked for and kept: linked
// in, they would load the windowing libraries into groundstyles-scan at every
// start (60 ms of its 150 under wine), for a fallback it never takes.
struct KnownFolderCalls {
  using GetPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  using Free = void(WINAPI*)(LPVOID);
  GetPath get_path = nullptr;
  Free free = nullptr;
};

// A function of a library in the system's folder, or null.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  // Through void (*)(), which converts to any function pointer without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const KnownFolderCalls& LoadKnownFolderCalls() {
  static const KnownFolderCalls calls{SystemFunction<KnownFolderCalls::GetPath>(L"shell32.dll", "SHGetKnownFolderPath"),
                                      SystemFunction<KnownFolderCalls::Free>(L"ole32.dll", "CoTaskMemFree")};
  return calls;
}

// The path of a known folder as the system names it (moved by the user or
// their administrator, perhaps); empty when the system has none that exists.
NativeString KnownFolder(const KNOWNFOLDERID& id) {
  const KnownFolderCalls& calls = LoadKnownFolderCalls();
  if (calls.get_path == nullptr || calls.free == nullptr) return {};
  wchar_t* path = nullptr;
  NativeString folder;
  if (SUCCEEDED(calls.get_path(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) folder = path;
  calls.free(path);
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
