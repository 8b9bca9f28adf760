// The report's file calls on POSIX.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_ops.h"

namespace platform {

namespace {

// Not an errno value: the report's path holds something other than a regular
// file, a folder or a link (a FIFO, a device, a socket).
constexpr int kNotRegularFile = -1;

int Fd(FileHandle file) { return static_cast<int>(file); }

// Where the system offers it, the name by which an open file can be linked.
std::string ProcPath(FileHandle file) { return "/proc/self/fd/" + std::to_string(file); }

int Open(const char* path, int flags, FileHandle* file) {
  const int fd = ::open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  *file = fd;
  return 0;
}

// The signals that end a session's programs, and a named temporary to remove
// on them. The handler runs only async-signal-safe calls.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
std::atomic<const char*> g_guarded{nullptr};

extern "C" void RemoveGuardedAndEnd(int signal) {
  if (const char* path = g_guarded.load()) ::unlink(path);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);  // delivered with the default action once the handler returns
}

// Makes `to` the handler of each of those signals whose handler is `from`.
void SwapHandlers(void (*from)(int), void (*to)(int)) {
  for (const int signal : kEndingSignals) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    if (current.sa_handler != from) continue;
    struct sigaction next {};
    next.sa_handler = to;
    ::sigaction(signal, &next, nullptr);
  }
}

class PosixReportFileSystem final : public ReportFileSystem {
 public:
  int Inspect(const NativeString& path, ExistingReport* report) const override;
  int Create(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
             bool* vanishes) const override;
  int Keep(FileHandle file, const NativeString& path) const override;
  int OpenExisting(const NativeString& path, FileHandle* file) const override;
  int Write(FileHandle file, std::string_view bytes) const override;
  int ReadAll(FileHandle file, std::string* bytes) const override;
  int Rewind(FileHandle file) const override { return ::lseek(Fd(file), 0, SEEK_SET) == 0 ? 0 : errno; }
  int Reserve(FileHandle file, std::uint64_t size) const override {
    return ::posix_fallocate(Fd(file), 0, static_cast<off_t>(size));  // returns the error itself
  }
  int SetLength(FileHandle file, std::uint64_t size) const override {
    return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0 ? 0 : errno;
  }
  int SetMode(FileHandle file, std::uint32_t mode) const override {
    return ::fchmod(Fd(file), mode) == 0 ? 0 : errno;
  }
  int Sync(FileHandle file) const override { return ::fsync(Fd(file)) == 0 ? 0 : errno; }
  int Close(FileHandle file) const override { return ::close(Fd(file)) == 0 ? 0 : errno; }
  // A rename is atomic; the new file's sync made its bytes durable before it.
  int Replace(const NativeString& from, const NativeString& to, bool) const override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Remove(const NativeString& path) const override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }
  void GuardTemporary(const NativeString& path) const override;
  void Unguard() const override;
  bool IsAlreadyExists(int error) const override { return error == EEXIST; }
  bool IsAccessDenied(int error) const override { return error == EACCES || error == EPERM; }
  std::string ErrorText(int error) const override {
    return error == kNotRegularFile ? "not a regular file" : std::strerror(error);
  }
};

// A folder gives what renaming onto it gives; any other non-file would be
// replaced by a rename, but is not the report's to replace.
int PosixReportFileSystem::Inspect(const NativeString& path, ExistingReport* report) const {
  *report = {};
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
  using Type = ExistingReport::EntryType;
  if (S_ISLNK(info.st_mode)) {
    report->type = Type::kLink;
  } else if (S_ISREG(info.st_mode)) {
    report->type = Type::kFile;
    report->mode = info.st_mode & 0777;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) report->refusal = errno;
  } else {
    report->type = Type::kOther;
    report->refusal = S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile;
  }
  return 0;
}

int PosixReportFileSystem::Create(const NativeString& folder, const NativeString& path, bool named,
                                  FileHandle* file, bool* vanishes) const {
#ifdef O_TMPFILE
  // An unnamed file is of use only if it can be given a name through /proc.
  if (!named && Open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR, file) == 0) {
    if (::access(ProcPath(*file).c_str(), F_OK) == 0) {
      *vanishes = true;
      return 0;
    }
    Close(*file);
  }
#endif
  *vanishes = false;
  return Open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, file);
}

int PosixReportFileSystem::Keep(FileHandle file, const NativeString& path) const {
  return ::linkat(AT_FDCWD, ProcPath(file).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

int PosixReportFileSystem::OpenExisting(const NativeString& path, FileHandle* file) const {
  // O_NONBLOCK: a FIFO put in the report's place must not hold the scan.
  if (const int error = Open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, file); error != 0) {
    return error;
  }
  struct stat info {};
  const int error = ::fstat(Fd(*file), &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : kNotRegularFile;
  if (error != 0) {
    Close(*file);
    *file = kNoFile;
  }
  return error;
}

int PosixReportFileSystem::Write(FileHandle file, std::string_view bytes) const {
  while (!bytes.empty()) {
    const ssize_t done = ::write(Fd(file), bytes.data(), bytes.size());
    if (done < 0 && errno != EINTR) return errno;
    if (done > 0) bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  return 0;
}

int PosixReportFileSystem::ReadAll(FileHandle file, std::string* bytes) const {
  bytes->clear();
  char chunk[64 * 1024];
  for (off_t offset = 0;;) {
    const ssize_t got = ::pread(Fd(file), chunk, sizeof chunk, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    bytes->append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
}

void PosixReportFileSystem::GuardTemporary(const NativeString& path) const {
  if (g_guarded.load() != nullptr) return;
  // The path lives until Unguard; a copy keeps it independent of its owner.
  g_guarded = ::strdup(path.c_str());
  // A signal the program ignores or handles itself is left as it is.
  SwapHandlers(SIG_DFL, RemoveGuardedAndEnd);
}

void PosixReportFileSystem::Unguard() const {
  const char* path = g_guarded.load();
  if (path == nullptr) return;
  SwapHandlers(RemoveGuardedAndEnd, SIG_DFL);
  g_guarded = nullptr;
  std::free(const_cast<char*>(path));
}

}  // namespace

const ReportFileSystem& SystemReportFileSystem() {
  static const PosixReportFileSystem files;
  return files;
}

}  // namespace platform
