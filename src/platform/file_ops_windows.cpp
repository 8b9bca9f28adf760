// The report's file calls on Windows.
#include <windows.h>

#include "platform/file_ops.h"
#include "platform/windows_text.h"

namespace platform::internal {

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

int LastError() { return static_cast<int>(GetLastError()); }

int Open(const NativeString& path, DWORD disposition, FileHandle* file) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  *file = reinterpret_cast<FileHandle>(handle);
  return 0;
}

}  // namespace

int CreateNewFile(const NativeString& path, FileHandle* file) { return Open(path, CREATE_NEW, file); }

int OpenForWriting(const NativeString& path, FileHandle* file) {
  if (const int error = Open(path, OPEN_EXISTING, file); error != 0) return error;
  if (GetFileType(Handle(*file)) != FILE_TYPE_DISK) {
    CloseHandle(Handle(*file));
    *file = kNoFile;
    return ERROR_INVALID_FUNCTION;
  }
  return 0;
}

int WriteSome(FileHandle file, const char* data, std::size_t size, std::size_t* written) {
  DWORD done = 0;
  const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!WriteFile(Handle(file), data, chunk, &done, nullptr)) return LastError();
  *written = done;
  return 0;
}

int Truncate(FileHandle file) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle(file))) return LastError();
  return 0;
}

int Sync(FileHandle file) { return FlushFileBuffers(Handle(file)) ? 0 : LastError(); }

int Close(FileHandle file) { return CloseHandle(Handle(file)) ? 0 : LastError(); }

int Replace(const NativeString& from, const NativeString& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : LastError();
}

void Remove(const NativeString& path) { DeleteFileW(path.c_str()); }

bool IsAlreadyExists(int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

bool IsAccessDenied(int error) { return error == ERROR_ACCESS_DENIED; }

int DiskFullError() { return ERROR_DISK_FULL; }

int DeviceError() { return ERROR_IO_DEVICE; }

std::string ErrorText(int error) { return WindowsErrorText(static_cast<unsigned long>(error)); }

}  // namespace platform::internal
