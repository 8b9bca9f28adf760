// Folder listing on POSIX with readdir: the entry type saves a stat for all
// but links and file systems that do not report it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/file_error.h"
#include "platform/listing.h"

namespace platform {

namespace {

enum class EntryType { kFile, kFolder, kOther };

// The entry's type, links followed; `*link` says whether it is a link.
EntryType TypeOf(int dir_fd, const dirent& entry, bool* link) {
  *link = entry.d_type == DT_LNK;
  switch (entry.d_type) {
    case DT_REG:
      return EntryType::kFile;
    case DT_DIR:
      return EntryType::kFolder;
    case DT_LNK:
    case DT_UNKNOWN:
      break;
    default:
      return EntryType::kOther;
  }
  struct stat info {};
  if (entry.d_type == DT_UNKNOWN && ::fstatat(dir_fd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
    *link = S_ISLNK(info.st_mode);
  }
  if (::fstatat(dir_fd, entry.d_name, &info, 0) != 0) return EntryType::kOther;  // e.g. a dangling link
  if (S_ISREG(info.st_mode)) return EntryType::kFile;
  if (S_ISDIR(info.st_mode)) return EntryType::kFolder;
  return EntryType::kOther;
}

}  // namespace

namespace internal {

Status ListEntries(const NativeString& folder, FolderLinks links, std::vector<NativeString>* subfolders,
                   std::vector<NativeString>* maps) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return FileError("list", folder, std::strerror(errno));
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;  // hidden, and "." and ".."
    NativeString name = entry->d_name;
    const bool map_name = maps != nullptr && MatchesMapPattern(name);
    if (map_name || subfolders != nullptr) {
      bool link = false;
      const EntryType type = TypeOf(::dirfd(dir), *entry, &link);
      if (type == EntryType::kFile && map_name) {
        maps->push_back(std::move(name));
      } else if (type == EntryType::kFolder && subfolders != nullptr && (!link || links == FolderLinks::kListed)) {
        subfolders->push_back(std::move(name));
      }
    }
    errno = 0;
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) return FileError("list", folder, std::strerror(error));
  return Status::Ok();
}

}  // namespace internal

EntryKind ListedEntry(const NativeString& folder, NativeString* name) {
  if (name->empty() || name->front() == '.' || name->find('/') != NativeString::npos) return EntryKind::kNone;
  struct stat info {};
  const NativeString path = folder.empty() || folder.back() == '/' ? folder + *name : folder + '/' + *name;
  if (::stat(path.c_str(), &info) != 0) return EntryKind::kNone;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  return S_ISREG(info.st_mode) && MatchesMapPattern(*name) ? EntryKind::kMapFile : EntryKind::kNone;
}

bool MayNameAnotherWay(const NativeString&) { return false; }

}  // namespace platform
