// Paths on POSIX: the separator is '/', and the home folder stands in for the
// first drive's root.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/paths.h"

namespace platform {

namespace {

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

bool FolderExists(const NativeString& path) {
  struct stat info {};
  // A name holding a NUL cannot exist; the system would see only its start.
  return !path.empty() && path.find('\0') == NativeString::npos && ::stat(path.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

NativeString ExpandHome(const NativeString& path) {
  if (path != "~" && path.rfind("~/", 0) != 0) return path;
  std::string home = HomeFolder();
  if (home.back() != kSeparator) home += kSeparator;
  return home + path.substr(std::min<std::size_t>(path.size(), 2));
}

std::string NotAFolderReason(const NativeString& path) {
  if (path.empty()) return std::strerror(ENOENT);
  if (path.find('\0') != NativeString::npos) return std::strerror(EINVAL);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
  return S_ISDIR(info.st_mode) ? std::string() : std::strerror(ENOTDIR);
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

}  // namespace platform
