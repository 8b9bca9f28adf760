// The Qt window's watch on the folder the lists show: by name where the
// system says which names changed (inotify), as a whole where it cannot
// (QFileSystemWatcher); a burst of changes is passed on in one, once the
// folder has been quiet for kFolderChangeDelayMs.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/folder_watch.h"

class FolderChangeWatch : public QObject {
 public:
  // `changed` is called with what changed in the folder watched.
  explicit FolderChangeWatch(std::function<void(platform::FolderChanges)> changed);

  // From now on watches `folder`, and drops what it gathered before.
  void Watch(const platform::NativeString& folder);

 private:
  // Gathers `changes`, to pass on once the folder is quiet.
  void Gather(platform::FolderChanges changes);

  std::function<void(platform::FolderChanges)> changed_;
  platform::FolderWatch by_name_;
  std::unique_ptr<QSocketNotifier> ready_;  // the system has told some names
  QFileSystemWatcher whole_;                // where it cannot say which names
  platform::FolderChanges gathered_;        // since the last call of changed_
  QTimer quiet_;
};
