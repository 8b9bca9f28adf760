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

namespace platform::internal {

namespace {

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

}  // namespace

int Inspect(const NativeString& path, ExistingReport* report) {
  *report = {};
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
  using Type = ExistingReport::EntryType;
  report->type = S_ISREG(info.st_mode) ? Type::kFile : S_ISLNK(info.st_mode) ? Type::kLink : Type::kOther;
  if (report->type == Type::kFile) {
    report->mode = info.st_mode & 0777;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) report->write_error = errno;
  }
  return 0;
}

int CreateTemporary(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
                    bool* vanishes) {
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

int Keep(FileHandle file, const NativeString& path) {
  return ::linkat(AT_FDCWD, ProcPath(file).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

int OpenExisting(const NativeString& path, FileHandle* file) {
  // O_NONBLOCK: a FIFO put in the report's place must not hold the scan.
  if (const int error = Open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, file); error != 0) {
    return error;
  }
  struct stat info {};
  if (::fstat(Fd(*file), &info) != 0 || !S_ISREG(info.st_mode)) {
    Close(*file);
    *file = kNoFile;
    return EINVAL;
  }
  return 0;
}

int WriteSome(FileHandle file, const char* data, std::size_t size, std::size_t* written) {
  *written = 0;
  for (;;) {
    const ssize_t done = ::write(Fd(file), data, size);
    if (done >= 0) {
      *written = static_cast<std::size_t>(done);
      return 0;
    }
    if (errno != EINTR) return errno;
  }
}

int ReadAll(FileHandle file, std::string* bytes) {
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

int Rewind(FileHandle file) { return ::lseek(Fd(file), 0, SEEK_SET) == 0 ? 0 : errno; }

int Reserve(FileHandle file, std::uint64_t size) {
  return ::posix_fallocate(Fd(file), 0, static_cast<off_t>(size));  // returns the error itself
}

int SetLength(FileHandle file, std::uint64_t size) {
  return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int SetMode(FileHandle file, std::uint32_t mode) { return ::fchmod(Fd(file), mode) == 0 ? 0 : errno; }

int Sync(FileHandle file) { return ::fsync(Fd(file)) == 0 ? 0 : errno; }

int Close(FileHandle file) { return ::close(Fd(file)) == 0 ? 0 : errno; }

// A rename is atomic; the new file's sync made its bytes durable before it.
int Replace(const NativeString& from, const NativeString& to, bool) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void Remove(const NativeString& path) { ::unlink(path.c_str()); }

void GuardTemporary(const NativeString& path) {
  if (g_guarded.load() != nullptr) return;
  // The path lives until Unguard; a copy keeps it independent of its owner.
  g_guarded = ::strdup(path.c_str());
  // A signal the program ignores or handles itself is left as it is.
  SwapHandlers(SIG_DFL, RemoveGuardedAndEnd);
}

void Unguard() {
  const char* path = g_guarded.load();
  if (path == nullptr) return;
  SwapHandlers(RemoveGuardedAndEnd, SIG_DFL);
  g_guarded = nullptr;
  std::free(const_cast<char*>(path));
}

bool IsAlreadyExists(int error) { return error == EEXIST; }

bool IsAccessDenied(int error) { return error == EACCES || error == EPERM; }

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace platform::internal
