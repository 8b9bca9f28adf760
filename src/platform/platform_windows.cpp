// The Windows side of the platform: paths are UTF-16, the separator is '\',
// the user's Documents folder stands in for the first drive's root, and names
// reach the report in the ANSI code page.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/windows_text.h"

namespace platform {

namespace internal {

std::string WindowsErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "error " + std::to_string(error);
  NativeString message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  return ToUtf8(message);
}

QuietDriveErrors::QuietDriveErrors() {
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  previous_ = previous;
}

QuietDriveErrors::~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }

}  // namespace internal

namespace {

std::string ToCodePage(UINT code_page, const NativeString& text) {
  if (text.empty()) return {};
  const int wide_length = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(code_page, 0, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), wide_length, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

NativeString FromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int narrow_length = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), narrow_length, nullptr, 0);
  NativeString out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), narrow_length, out.data(), length);
  return out;
}

NativeString FromAscii(std::string_view ascii) { return NativeString(ascii.begin(), ascii.end()); }

std::string ToUtf8(const NativeString& text) { return ToCodePage(CP_UTF8, text); }

// The system's own conversion: characters the code page cannot hold become '?'.
std::string ToReportText(const NativeString& text) { return ToCodePage(CP_ACP, text); }

std::size_t ReportTextWidth(const NativeString& text) { return text.size(); }

bool FolderExists(const NativeString& path) {
  // A name holding a NUL cannot exist; the system would see only its start.
  if (path.empty() || path.find(L'\0') != NativeString::npos) return false;
  internal::QuietDriveErrors quiet;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

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

Status ReadFileHead(const NativeString& path, unsigned char* buffer, std::size_t capacity, std::size_t* length) {
  *length = 0;
  if (path.find(L'\0') != NativeString::npos) {
    return FileError("open", path, internal::WindowsErrorText(ERROR_INVALID_NAME));
  }
  internal::QuietDriveErrors quiet;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileError("open", path, internal::WindowsErrorText(GetLastError()));
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return FileError("read", path, "not a regular file");
  }
  std::size_t total = 0;
  while (total < capacity) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(capacity - total);
    if (!ReadFile(file, buffer + total, want, &got, nullptr)) {
      const DWORD error = GetLastError();
      CloseHandle(file);
      return FileError("read", path, internal::WindowsErrorText(error));
    }
    if (got == 0) break;
    total += got;
  }
  CloseHandle(file);
  *length = total;
  return Status::Ok();
}

// Windows has no opening relative to a folder here: each file is opened by its whole path.
FolderFiles::FolderFiles(NativeString folder) : folder_(std::move(folder)) {}

FolderFiles::~FolderFiles() = default;

Status FolderFiles::ReadFileHead(const NativeString& name, unsigned char* buffer, std::size_t capacity,
                                 std::size_t* length) const {
  return platform::ReadFileHead(folder_ + kSeparator + name, buffer, capacity, length);
}

}  // namespace platform
