// The report's file calls on POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_ops.h"

namespace platform::internal {

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

}  // namespace

int CreateNewFile(const NativeString& path, FileHandle* file) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return errno;
  *file = fd;
  return 0;
}

int OpenForWriting(const NativeString& path, FileHandle* file) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return EINVAL;
  }
  *file = fd;
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

int Truncate(FileHandle file) {
  if (::ftruncate(Fd(file), 0) != 0 || ::lseek(Fd(file), 0, SEEK_SET) != 0) return errno;
  return 0;
}

int Sync(FileHandle file) { return ::fsync(Fd(file)) == 0 ? 0 : errno; }

int Close(FileHandle file) { return ::close(Fd(file)) == 0 ? 0 : errno; }

int Replace(const NativeString& from, const NativeString& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void Remove(const NativeString& path) { ::unlink(path.c_str()); }

bool IsAlreadyExists(int error) { return error == EEXIST; }

bool IsAccessDenied(int error) { return error == EACCES || error == EPERM; }

int DiskFullError() { return ENOSPC; }

int DeviceError() { return EIO; }

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace platform::internal
