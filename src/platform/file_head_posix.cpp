// Reading a file's head on POSIX, relative to an open folder where one is given.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_error.h"
#include "platform/file_head.h"
#include "platform/paths.h"

namespace platform {

namespace {

// The path a failure names: `head`, or `head` + separator + `*name`. Built
// only when there is a failure to report.
struct ShownPath {
  const NativeString& head;
  const NativeString* name = nullptr;

  operator NativeString() const { return name == nullptr ? head : head + kSeparator + *name; }
};

// Reads the head of `file`, opened relative to `folder_fd` (or AT_FDCWD);
// failures name `shown`.
Status ReadHeadAt(int folder_fd, const char* file, ShownPath shown, unsigned char* buffer, std::size_t capacity,
                  std::size_t* length) {
  *length = 0;
  // O_NONBLOCK: opening a FIFO or a device must not wait for a writer or a medium.
  const int fd = ::openat(folder_fd, file, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileError("open", shown, std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return FileError("read", shown, std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileError("read", shown, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
  }
  std::size_t total = 0;
  while (total < capacity) {
    const ssize_t got = ::read(fd, buffer + total, capacity - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return FileError("read", shown, std::strerror(error));
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  ::close(fd);
  *length = total;
  return Status::Ok();
}

}  // namespace

Status ReadFileHead(const NativeString& path, unsigned char* buffer, std::size_t capacity,
                    std::size_t* length) {
  *length = 0;
  if (path.find('\0') != NativeString::npos) return FileError("open", path, std::strerror(EINVAL));
  return ReadHeadAt(AT_FDCWD, path.c_str(), ShownPath{path}, buffer, capacity, length);
}

FolderFiles::FolderFiles(NativeString folder) : folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.find('\0') == NativeString::npos) {
    handle_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
}

FolderFiles::~FolderFiles() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

Status FolderFiles::ReadFileHead(const NativeString& name, unsigned char* buffer, std::size_t capacity,
                                 std::size_t* length) const {
  // A relative name ("A.MAP", "Campaign 1/A.MAP") is opened relative to the
  // open folder; anything else by its whole path.
  if (handle_ < 0 || name.empty() || name.front() == '/' || name.find('\0') != NativeString::npos) {
    return platform::ReadFileHead(ShownPath{folder_, &name}, buffer, capacity, length);
  }
  return ReadHeadAt(static_cast<int>(handle_), name.c_str(), ShownPath{folder_, &name}, buffer, capacity, length);
}

}  // namespace platform
