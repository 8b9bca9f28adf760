// Reading a file's head on Windows, each file by its whole path.
#include <windows.h>

#include <algorithm>

#include "platform/file_error.h"
#include "platform/file_head.h"
#include "platform/file_head_ring.h"
#include "platform/paths.h"
#include "platform/windows_text.h"

namespace platform {

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

FileHeadReader::FileHeadReader(const FolderFiles& folder, std::size_t capacity)
    : folder_(folder), capacity_(capacity) {}

FileHeadReader::~FileHeadReader() = default;

// Windows takes one file at a time.
void FileHeadReader::Read(std::span<const NativeString> names, std::span<Status> statuses,
                          std::span<std::size_t> lengths) {
  buffer_.resize(std::max(buffer_.size(), names.size() * capacity_));
  for (std::size_t i = 0; i < names.size(); ++i) {
    statuses[i] = folder_.ReadFileHead(names[i], HeadBuffer(i), capacity_, &lengths[i]);
  }
}

}  // namespace platform
