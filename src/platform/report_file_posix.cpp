// POSIX report replacement: write a temporary file in the report's folder,
// fsync it, then rename it over the report.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "platform/report_file.h"

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

std::atomic<std::size_t> g_write_limit{kNoLimit};
std::atomic<std::size_t> g_bytes_written{0};

// write(2) until all is out; 0 on success, else errno.
int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    std::size_t chunk = size;
    const std::size_t limit = g_write_limit.load();
    if (limit != kNoLimit) {
      const std::size_t written = g_bytes_written.load();
      if (written >= limit) return ENOSPC;
      chunk = std::min(chunk, limit - written);
    }
    const ssize_t done = ::write(fd, data, chunk);
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    g_bytes_written += static_cast<std::size_t>(done);
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return 0;
}

std::string RandomSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  std::random_device device;
  const std::uint64_t value =
      (static_cast<std::uint64_t>(device()) << 32) ^ device() ^ (counter++ * 0x9E3779B97F4A7C15ull) ^
      static_cast<std::uint64_t>(::getpid());
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (int shift = 0; shift < 48; shift += 4) text += kHex[(value >> shift) & 0xF];
  return text;
}

}  // namespace

struct ReportFile::Impl {
  NativeString path;       // the report
  NativeString temporary;  // empty when the report is rewritten in place
  int fd = -1;
  std::string buffer;
  bool committed = false;

  bool InPlace() const { return temporary.empty(); }

  Status Flush() {
    if (buffer.empty()) return Status::Ok();
    const int error = WriteAll(fd, buffer.data(), buffer.size());
    buffer.clear();
    return error == 0 ? Status::Ok() : FileError("write", path, std::strerror(error));
  }
};

ReportFile::ReportFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ReportFile::~ReportFile() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  if (!impl_->committed && !impl_->InPlace()) ::unlink(impl_->temporary.c_str());
}

Status ReportFile::Create(const NativeString& path, std::unique_ptr<ReportFile>* report) {
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  const std::size_t slash = path.rfind(kSeparator);
  const NativeString folder = slash == NativeString::npos ? NativeString() : path.substr(0, slash + 1);
  const NativeString name = slash == NativeString::npos ? path : path.substr(slash + 1);

  int error = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const NativeString temporary = folder + "." + name + "." + RandomSuffix() + ".tmp";
    impl->fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (impl->fd >= 0) {
      impl->temporary = temporary;
      break;
    }
    error = errno;
    if (error != EEXIST) break;
  }

  if (impl->fd < 0 && (error == EACCES || error == EPERM)) {
    // The folder takes no new file; an existing, writable report is rewritten in place.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
      impl->fd = fd;
    } else if (fd >= 0) {
      ::close(fd);
    }
  }
  if (impl->fd < 0) return FileError("create", path, std::strerror(error));

  impl->buffer.reserve(kBufferSize);
  report->reset(new ReportFile(std::move(impl)));
  return Status::Ok();
}

Status ReportFile::Append(std::string_view bytes) {
  impl_->buffer.append(bytes);
  // In place, everything waits for Commit so that a failed scan leaves the old report alone.
  if (!impl_->InPlace() && impl_->buffer.size() >= kBufferSize) return impl_->Flush();
  return Status::Ok();
}

Status ReportFile::Commit() {
  Impl& impl = *impl_;
  if (impl.InPlace() && ::ftruncate(impl.fd, 0) != 0) {
    return FileError("write", impl.path, std::strerror(errno));
  }
  if (Status status = impl.Flush(); !status.ok()) return status;
  if (::fsync(impl.fd) != 0) return FileError("write", impl.path, std::strerror(errno));
  const int fd = impl.fd;
  impl.fd = -1;
  if (::close(fd) != 0) return FileError("write", impl.path, std::strerror(errno));
  if (!impl.InPlace() && ::rename(impl.temporary.c_str(), impl.path.c_str()) != 0) {
    return FileError("replace", impl.path, std::strerror(errno));
  }
  impl.committed = true;
  return Status::Ok();
}

ScopedReportWriteLimit::ScopedReportWriteLimit(std::size_t bytes_allowed) {
  g_bytes_written = 0;
  g_write_limit = bytes_allowed;
}

ScopedReportWriteLimit::~ScopedReportWriteLimit() { g_write_limit = kNoLimit; }

}  // namespace platform
