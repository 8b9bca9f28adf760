// The POSIX side of the platform: paths are bytes, the separator is '/', the
// home folder stands in for the first drive's root, and names reach the report
// byte for byte.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

std::size_t ReportTextWidth(const NativeString& text) {
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
  // A name holding a NUL cannot exist; the system would see only its start.
  return !path.empty() && path.find('\0') == NativeString::npos && ::stat(path.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

NativeString AbsolutePath(const NativeString& path) {
  namespace fs = std::filesystem;
  const fs::path given(path);
  std::error_code error;
  const fs::path absolute = fs::absolute(given, error);  // the working folder joined to a relative path
  if (error) return path;
  const auto is_dots = [](const fs::path& part) { return part == "." || part == ".."; };
  // A name holding a NUL names nothing the system could resolve.
  if (std::none_of(given.begin(), given.end(), is_dots) || path.find('\0') != NativeString::npos) {
    return absolute.native();
  }
  // The system takes ".." from where the links before it lead; the last name,
  // a link perhaps, is shown as it is.
  const bool keep_last = given.has_filename() && !is_dots(given.filename());
  const fs::path resolved = fs::weakly_canonical(keep_last ? absolute.parent_path() : absolute, error);
  if (error) return absolute.lexically_normal().native();
  return keep_last ? (resolved / given.filename()).native() : resolved.native();
}

NativeString ReportFallbackFolder() {
  std::string folder = HomeFolder();
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

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
  // A plain name is opened relative to the open folder; anything else by its whole path.
  if (handle_ < 0 || name.empty() || name.find_first_of(std::string_view("/\0", 2)) != NativeString::npos) {
    return platform::ReadFileHead(ShownPath{folder_, &name}, buffer, capacity, length);
  }
  return ReadHeadAt(static_cast<int>(handle_), name.c_str(), ShownPath{folder_, &name}, buffer, capacity, length);
}

}  // namespace platform
