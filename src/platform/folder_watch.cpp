#include "platform/folder_watch.h"

#include <iterator>
#include <utility>

namespace platform {

void FolderChanges::Add(FolderChanges later) {
  unknown = unknown || later.unknown;
  if (!unknown) names.insert(names.end(), std::make_move_iterator(later.names.begin()),
                             std::make_move_iterator(later.names.end()));
  if (unknown || names.size() > kMostNamedChanges) {
    unknown = true;
    names = {};
  }
}

}  // namespace platform
