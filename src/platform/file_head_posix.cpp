// Reading a file's head on POSIX, relative to an open folder where one is
// given, and the heads of many files through io_uring on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#ifdef __linux__
#include <linux/io_uring.h>
#endif

#include "platform/file_error.h"
#include "platform/file_head.h"
#include "platform/file_head_ring.h"
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

// Whether a file of `mode` is one whose head may be read: a regular file.
Status CheckRegular(mode_t mode, ShownPath shown) {
  if (S_ISREG(mode)) return Status::Ok();
  return FileError("read", shown, S_ISDIR(mode) ? std::strerror(EISDIR) : "not a regular file");
}

// Reads the open file from offset `*length`, which holds what is read
// already, on to `capacity` bytes or its end; failures name `shown`.
Status ReadOn(int fd, ShownPath shown, unsigned char* buffer, std::size_t capacity, std::size_t* length) {
  while (*length < capacity) {
    const ssize_t got = ::pread(fd, buffer + *length, capacity - *length, static_cast<off_t>(*length));
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileError("read", shown, std::strerror(errno));
    }
    if (got == 0) break;
    *length += static_cast<std::size_t>(got);
  }
  return Status::Ok();
}

// Checks and reads the open file, then closes it; failures name `shown`.
Status FinishHead(int fd, ShownPath shown, unsigned char* buffer, std::size_t capacity, std::size_t* length) {
  struct stat info {};
  Status status = ::fstat(fd, &info) != 0 ? FileError("read", shown, std::strerror(errno))
                                          : CheckRegular(info.st_mode, shown);
  if (status.ok()) status = ReadOn(fd, shown, buffer, capacity, length);
  ::close(fd);
  if (!status.ok()) *length = 0;
  return status;
}

// O_NONBLOCK: opening a FIFO or a device must not wait for a writer or a medium.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY;

// Reads the head of `file`, opened relative to `folder_fd` (or AT_FDCWD);
// failures name `shown`.
Status ReadHeadAt(int folder_fd, const char* file, ShownPath shown, unsigned char* buffer, std::size_t capacity,
                  std::size_t* length) {
  *length = 0;
  const int fd = ::openat(folder_fd, file, kOpenFlags | O_CLOEXEC);
  if (fd < 0) return FileError("open", shown, std::strerror(errno));
  return FinishHead(fd, shown, buffer, capacity, length);
}

// Whether `name` is opened relative to the open folder `folder_fd`: a
// relative name ("A.MAP", "Campaign 1/A.MAP"); anything else by its whole path.
bool OpensRelative(std::intptr_t folder_fd, const NativeString& name) {
  return folder_fd >= 0 && !name.empty() && name.front() != '/' && name.find('\0') == NativeString::npos;
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
  if (!OpensRelative(handle_, name)) return platform::ReadFileHead(ShownPath{folder_, &name}, buffer, capacity, length);
  return ReadHeadAt(static_cast<int>(handle_), name.c_str(), ShownPath{folder_, &name}, buffer, capacity, length);
}

FileHeadReader::FileHeadReader(const FolderFiles& folder, std::size_t capacity)
    : folder_(folder), capacity_(capacity) {}

FileHeadReader::~FileHeadReader() = default;

#ifdef __linux__

namespace {

// ThreadSanitizer sees no file the ring opens or closes, and would take the
// reuse of their numbers by other threads for races: its builds read one
// file at a time.
#ifdef __SANITIZE_THREAD__
constexpr bool kRingAllowed = false;
#else
constexpr bool kRingAllowed = true;
#endif

// The most files read through the ring at once; a call for more takes them so many at a time.
constexpr unsigned kRingFiles = 16;

// One pass of up to kRingFiles files through the ring: the files of
// `folder`, open as `folder_fd`, named `names`, their heads at `heads`,
// `capacity` bytes apart; their outcomes go to `statuses` and `lengths`.
struct RingPass {
  FileCallRing& ring;
  int folder_fd;
  const NativeString& folder;
  std::span<const NativeString> names;
  unsigned char* heads;
  std::size_t capacity;
  std::span<Status> statuses;
  std::span<std::size_t> lengths;
  std::array<int, kRingFiles> fds;      // open, or -1
  std::array<int, kRingFiles> results;  // of the last calls, -errno on failure

  ShownPath Shown(std::size_t i) const { return ShownPath{folder, &names[i]}; }
  unsigned char* Head(std::size_t i) const { return heads + i * capacity; }

  // Opens every file; false, with none open, when the kernel takes no call.
  bool Open() {
    fds.fill(-1);
    std::fill(lengths.begin(), lengths.end(), 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
      io_uring_sqe* call = ring.Queue(i);
      call->opcode = IORING_OP_OPENAT;
      call->fd = folder_fd;
      call->addr = reinterpret_cast<std::uintptr_t>(names[i].c_str());
      call->open_flags = kOpenFlags | O_CLOEXEC;
    }
    if (!ring.Run(results.data())) return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (results[i] >= 0) fds[i] = results[i];
      else statuses[i] = FileError("open", Shown(i), std::strerror(-results[i]));
    }
    return true;
  }

  // Checks what each open file is and reads the regular ones; closes the
  // others here. The check, and the closing of a pipe, are calls of their
  // own: the ring would hand them to a kernel thread, left waiting a while.
  void CheckAndRead() {
    bool any = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (fds[i] < 0) continue;
      struct stat info {};
      statuses[i] = ::fstat(fds[i], &info) != 0 ? FileError("read", Shown(i), std::strerror(errno))
                                                : CheckRegular(info.st_mode, Shown(i));
      if (!statuses[i].ok()) {
        ::close(std::exchange(fds[i], -1));
        continue;
      }
      io_uring_sqe* call = ring.Queue(i);
      call->opcode = IORING_OP_READ;
      call->fd = fds[i];
      call->addr = reinterpret_cast<std::uintptr_t>(Head(i));
      call->len = static_cast<std::uint32_t>(capacity);
      any = true;
    }
    const bool read = any && ring.Run(results.data());
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (fds[i] < 0) continue;
      // A short read, or one the ring would not wait for, goes on here.
      lengths[i] = read && results[i] > 0 ? static_cast<std::size_t>(results[i]) : 0;
      const bool failed = read && results[i] < 0 && results[i] != -EAGAIN;
      statuses[i] = failed ? FileError("read", Shown(i), std::strerror(-results[i]))
                           : ReadOn(fds[i], Shown(i), Head(i), capacity, &lengths[i]);
      if (!statuses[i].ok()) lengths[i] = 0;
    }
  }

  // Closes every file still open.
  void Close() {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (fds[i] < 0) continue;
      io_uring_sqe* call = ring.Queue(i);
      call->opcode = IORING_OP_CLOSE;
      call->fd = fds[i];
    }
    if (ring.Run(results.data())) return;
    for (const int fd : fds) {
      if (fd >= 0) ::close(fd);
    }
  }
};

}  // namespace

#endif

void FileHeadReader::Read(std::span<const NativeString> names, std::span<Status> statuses,
                          std::span<std::size_t> lengths) {
  buffer_.resize(std::max(buffer_.size(), names.size() * capacity_));
#ifdef __linux__
  // One file alone gains nothing from the ring.
  if (!ring_tried_ && kRingAllowed && names.size() > 1 && folder_.handle_ >= 0) {
    ring_tried_ = true;
    ring_ = std::make_unique<FileCallRing>(kRingFiles);
    if (!ring_->usable()) ring_.reset();
  }
#endif
  std::size_t i = 0;
  while (i < names.size()) {
#ifdef __linux__
    // A run of names the ring can open, relative to the folder.
    std::size_t run = 0;
    while (ring_ && run < kRingFiles && i + run < names.size() && OpensRelative(folder_.handle_, names[i + run])) {
      ++run;
    }
    if (run > 1) {
      RingPass pass{*ring_, static_cast<int>(folder_.handle_), folder_.folder_, names.subspan(i, run), HeadBuffer(i),
                    capacity_, statuses.subspan(i, run), lengths.subspan(i, run), {}, {}};
      if (pass.Open()) {
        pass.CheckAndRead();
        pass.Close();
      } else {
        for (std::size_t k = i; k < i + run; ++k) {
          statuses[k] = folder_.ReadFileHead(names[k], HeadBuffer(k), capacity_, &lengths[k]);
        }
      }
      i += run;
      continue;
    }
#endif
    statuses[i] = folder_.ReadFileHead(names[i], HeadBuffer(i), capacity_, &lengths[i]);
    ++i;
  }
}

}  // namespace platform
