// Folder listing on POSIX with readdir: the entry type saves a stat for all
// but links and file systems that do not report it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_error.h"
#include "platform/listing.h"

namespace platform {

namespace {

enum class EntryType { kFile, kFolder, kOther };

// The entry's type, a link's being what it leads to unless `follow_links` is false.
EntryType TypeOf(int dir_fd, const dirent& entry, bool follow_links) {
  switch (entry.d_type) {
    case DT_REG:
      return EntryType::kFile;
    case DT_DIR:
      return EntryType::kFolder;
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat info {};
      const int flags = follow_links ? 0 : AT_SYMLINK_NOFOLLOW;
      if (::fstatat(dir_fd, entry.d_name, &info, flags) != 0) return EntryType::kOther;  // e.g. a dangling link
      if (S_ISREG(info.st_mode)) return EntryType::kFile;
      if (S_ISDIR(info.st_mode)) return EntryType::kFolder;
      return EntryType::kOther;
    }
    default:
      return EntryType::kOther;
  }
}

Status List(const NativeString& folder, EntryType wanted, bool (*accept)(const NativeString&), bool follow_links,
            std::vector<NativeString>* names) {
  names->clear();
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return FileError("list", folder, std::strerror(errno));
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;  // hidden, and "." and ".."
    NativeString name = entry->d_name;
    if (accept(name) && TypeOf(::dirfd(dir), *entry, follow_links) == wanted) names->push_back(std::move(name));
    errno = 0;
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) return FileError("list", folder, std::strerror(error));
  std::sort(names->begin(), names->end(), NameLess);
  return Status::Ok();
}

bool AnyName(const NativeString&) { return true; }

}  // namespace

Status ListMapFiles(const NativeString& folder, std::vector<NativeString>* names) {
  return List(folder, EntryType::kFile, MatchesMapPattern, true, names);
}

Status ListSubfolders(const NativeString& folder, std::vector<NativeString>* names, FolderLinks links) {
  return List(folder, EntryType::kFolder, AnyName, links == FolderLinks::kListed, names);
}

}  // namespace platform
