// The report's file calls on Windows.
#include <windows.h>

#include "platform/file_ops.h"
#include "platform/windows_text.h"

namespace platform::internal {

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

int LastError() { return static_cast<int>(GetLastError()); }

int Open(const NativeString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags, FileHandle* file) {
  HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  *file = reinterpret_cast<FileHandle>(handle);
  return 0;
}

// Marks the file for deletion when its last handle closes, or takes the mark off.
bool SetDeleteOnClose(FileHandle file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(Handle(file), FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

int Inspect(const NativeString& path, ExistingReport* report) {
  *report = {};
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const int error = LastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  using Type = ExistingReport::EntryType;
  report->type = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? Type::kLink
                 : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? Type::kOther
                                                                  : Type::kFile;
  if (report->type == Type::kFile && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    report->write_error = ERROR_ACCESS_DENIED;
  }
  return 0;
}

int CreateTemporary(const NativeString&, const NativeString& path, bool, FileHandle* file, bool* vanishes) {
  const DWORD access = GENERIC_READ | GENERIC_WRITE | DELETE, share = FILE_SHARE_READ | FILE_SHARE_DELETE;
  if (const int error = Open(path, access, share, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file); error != 0) return error;
  *vanishes = SetDeleteOnClose(*file, true);
  return 0;
}

int Keep(FileHandle file, const NativeString&) { return SetDeleteOnClose(file, false) ? 0 : LastError(); }

int OpenExisting(const NativeString& path, FileHandle* file) {
  // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, which is then refused.
  if (const int error = Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, file);
      error != 0) {
    return error;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(Handle(*file)) != FILE_TYPE_DISK || !GetFileInformationByHandle(Handle(*file), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
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

int ReadAll(FileHandle file, std::string* bytes) {
  bytes->clear();
  if (const int error = Rewind(file); error != 0) return error;
  char chunk[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(Handle(file), chunk, sizeof chunk, &got, nullptr)) return LastError();
    if (got == 0) return 0;
    bytes->append(chunk, got);
  }
}

int Rewind(FileHandle file) {
  const LARGE_INTEGER start{};
  return SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN) ? 0 : LastError();
}

// Extending the end of a file allocates its clusters, or fails for want of them.
int Reserve(FileHandle file, std::uint64_t size) { return SetLength(file, size); }

int SetLength(FileHandle file, std::uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
}

int SetMode(FileHandle, std::uint32_t) { return 0; }

int Sync(FileHandle file) { return FlushFileBuffers(Handle(file)) ? 0 : LastError(); }

int Close(FileHandle file) { return CloseHandle(Handle(file)) ? 0 : LastError(); }

int Replace(const NativeString& from, const NativeString& to, bool write_through) {
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (write_through ? MOVEFILE_WRITE_THROUGH : 0);
  return MoveFileExW(from.c_str(), to.c_str(), flags) ? 0 : LastError();
}

void Remove(const NativeString& path) { DeleteFileW(path.c_str()); }

// A temporary marked for deletion on close needs no guard.
void GuardTemporary(const NativeString&) {}

void Unguard() {}

bool IsAlreadyExists(int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

bool IsAccessDenied(int error) { return error == ERROR_ACCESS_DENIED; }

std::string ErrorText(int error) { return WindowsErrorText(static_cast<unsigned long>(error)); }

}  // namespace platform::internal
