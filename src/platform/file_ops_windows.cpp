// The report's file calls on Windows.
#include <windows.h>

#include "platform/file_ops.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

int LastError() { return static_cast<int>(GetLastError()); }

int Open(const NativeString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags, FileHandle* file) {
  HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  *file = reinterpret_cast<FileHandle>(handle);
  return 0;
}

// Opens the file itself (not what a link names) for `access` alone, sharing
// everything, and closes it again: 0, or why the system refuses it.
int TryOpen(const NativeString& path, DWORD access) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  FileHandle file = kNoFile;
  const int error = Open(path, access, share, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, &file);
  if (error == 0) CloseHandle(Handle(file));
  return error;
}

// Marks the file for deletion when its last handle closes, or takes the mark off.
bool SetDeleteOnClose(FileHandle file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(Handle(file), FileDispositionInfo, &disposition, sizeof disposition);
}

class WindowsReportFileSystem final : public ReportFileSystem {
 public:
  int Inspect(const NativeString& path, ExistingReport* report) const override;
  int Create(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
             bool* vanishes) const override;
  int Keep(FileHandle file, const NativeString&) const override {
    return SetDeleteOnClose(file, false) ? 0 : LastError();
  }
  int OpenExisting(const NativeString& path, FileHandle* file) const override;
  int Write(FileHandle file, std::string_view bytes) const override;
  int ReadAll(FileHandle file, std::string* bytes) const override;
  int Rewind(FileHandle file) const override {
    const LARGE_INTEGER start{};
    return SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN) ? 0 : LastError();
  }
  // Extending the end of a file allocates its clusters, or fails for want of them.
  int Reserve(FileHandle file, std::uint64_t size) const override { return SetLength(file, size); }
  int SetLength(FileHandle file, std::uint64_t size) const override {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
  }
  int SetMode(FileHandle, std::uint32_t) const override { return 0; }
  int Sync(FileHandle file) const override { return FlushFileBuffers(Handle(file)) ? 0 : LastError(); }
  int Close(FileHandle file) const override { return CloseHandle(Handle(file)) ? 0 : LastError(); }
  int Replace(const NativeString& from, const NativeString& to, bool write_through) const override {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (write_through ? MOVEFILE_WRITE_THROUGH : 0);
    return MoveFileExW(from.c_str(), to.c_str(), flags) ? 0 : LastError();
  }
  int Remove(const NativeString& path) const override { return DeleteFileW(path.c_str()) ? 0 : LastError(); }
  // A temporary marked for deletion on close needs no guard.
  void GuardTemporary(const NativeString&) const override {}
  void Unguard() const override {}
  bool IsAlreadyExists(int error) const override {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
  }
  bool IsAccessDenied(int error) const override { return error == ERROR_ACCESS_DENIED; }
  std::string ErrorText(int error) const override {
    return internal::WindowsErrorText(static_cast<unsigned long>(error));
  }
};

// Whether the user may write the report is asked of the file itself: opening
// it for writing is refused for a read-only file and for one whose access list
// denies this user writing, as the in-place rewrite would be, and replacing a
// report the user may not write is not the scan's to do. A report another
// program holds open so that it can be neither written nor deleted can be
// neither rewritten nor replaced. Moving a file onto a folder is refused.
int WindowsReportFileSystem::Inspect(const NativeString& path, ExistingReport* report) const {
  *report = {};
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const int error = LastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  using Type = ExistingReport::EntryType;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    report->type = Type::kLink;
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    report->type = Type::kOther;
    report->refusal = ERROR_ACCESS_DENIED;
  } else {
    report->type = Type::kFile;
    int error = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? ERROR_ACCESS_DENIED : TryOpen(path, FILE_WRITE_DATA);
    if (error == ERROR_SHARING_VIOLATION && TryOpen(path, DELETE) != ERROR_SHARING_VIOLATION) error = 0;
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) report->refusal = error;
  }
  return 0;
}

int WindowsReportFileSystem::Create(const NativeString&, const NativeString& path, bool, FileHandle* file,
                                    bool* vanishes) const {
  const DWORD access = GENERIC_READ | GENERIC_WRITE | DELETE;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE;
  if (const int error = Open(path, access, share, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file); error != 0) return error;
  *vanishes = SetDeleteOnClose(*file, true);
  return 0;
}

int WindowsReportFileSystem::OpenExisting(const NativeString& path, FileHandle* file) const {
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

int WindowsReportFileSystem::Write(FileHandle file, std::string_view bytes) const {
  while (!bytes.empty()) {
    DWORD done = 0;
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    if (!WriteFile(Handle(file), bytes.data(), chunk, &done, nullptr)) return LastError();
    bytes.remove_prefix(done);
  }
  return 0;
}

int WindowsReportFileSystem::ReadAll(FileHandle file, std::string* bytes) const {
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

}  // namespace

const ReportFileSystem& SystemReportFileSystem() {
  static const WindowsReportFileSystem files;
  return files;
}

}  // namespace platform
