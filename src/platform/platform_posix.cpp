// The POSIX side of the platform: paths are bytes, the separator is '/', the
// home folder stands in for the first drive's root, and names reach the report
// byte for byte.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/utf8.h"

namespace platform {

namespace {

const unsigned char* Bytes(const NativeString& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && *found->pw_dir != '\0') {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

NativeString FromUtf8(std::string_view utf8) { return NativeString(utf8); }

NativeString FromAscii(std::string_view ascii) { return NativeString(ascii); }

std::string ToUtf8(const NativeString& text) {
  std::string out;
  out.reserve(text.size());
  const unsigned char* bytes = Bytes(text);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string ToReportText(const NativeString& text) { return text; }

std::size_t CharacterCount(const NativeString& text) {
  std::size_t count = 0;
  const unsigned char* bytes = Bytes(text);
  for (std::size_t i = 0; i < text.size(); ++count) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    i += length == 0 ? 1 : length;
  }
  return count;
}

bool FolderExists(const NativeString& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

NativeString ReportFallbackFolder() {
  std::string folder = HomeFolder();
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

Status FileError(std::string_view verb, const NativeString& path, std::string_view reason) {
  std::string message = "cannot ";
  message += verb;
  message += " \"";
  message += ToUtf8(path);
  message += "\": ";
  message += reason;
  return Status::Error(std::move(message));
}

Status ReadFileHead(const NativeString& path, unsigned char* buffer, std::size_t capacity,
                    std::size_t* length) {
  *length = 0;
  // O_NONBLOCK: opening a FIFO or a device must not wait for a writer or a medium.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileError("open", path, std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return FileError("read", path, std::strerror(error));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileError("read", path,
                     S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
  }
  std::size_t total = 0;
  while (total < capacity) {
    const ssize_t got = ::read(fd, buffer + total, capacity - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return FileError("read", path, std::strerror(error));
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  ::close(fd);
  *length = total;
  return Status::Ok();
}

}  // namespace platform
