#include "given_path.h"

#include <filesystem>
#include <system_error>

#include "platform/listing.h"
#include "platform/paths.h"

namespace window {

platform::NativeString FolderOfGivenPath(const platform::NativeString& path) {
  if (path.empty()) return path;
  std::filesystem::path folder(platform::AbsolutePath(path));
  folder.make_preferred();
  // "maps/" names the folder "maps", as the lists name it.
  while (folder.has_relative_path() && !folder.has_filename()) folder = folder.parent_path();
  std::error_code error;
  if (!platform::FolderExists(folder.native()) && std::filesystem::is_regular_file(folder, error) &&
      platform::MatchesMapPattern(folder.filename().native())) {
    folder = folder.parent_path();
  }
  return folder.native();
}

}  // namespace window
