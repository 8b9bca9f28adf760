#include "folder_change_watch.h"

#include <QByteArray>
#include <QFile>
#include <utility>

#include "form1_view.h"

FolderChangeWatch::FolderChangeWatch(std::function<void(platform::FolderChanges)> changed)
    : changed_(std::move(changed)) {
  quiet_.setSingleShot(true);
  quiet_.setInterval(window::kFolderChangeDelayMs);
  connect(&quiet_, &QTimer::timeout, this, [this] { changed_(std::exchange(gathered_, {})); });
  if (by_name_.ready() >= 0) {
    ready_ = std::make_unique<QSocketNotifier>(by_name_.ready(), QSocketNotifier::Read);
    connect(ready_.get(), &QSocketNotifier::activated, this, [this] { Gather(by_name_.Take()); });
  }
  connect(&whole_, &QFileSystemWatcher::directoryChanged, this, [this] { Gather({.names = {}, .unknown = true}); });
}

void FolderChangeWatch::Watch(const platform::NativeString& folder) {
  quiet_.stop();
  gathered_ = {};
  if (const QStringList watched = whole_.directories(); !watched.isEmpty()) whole_.removePaths(watched);
  if (by_name_.Watch(folder)) return;
  // The name as the file system holds it, whatever its encoding.
  whole_.addPath(QFile::decodeName(QByteArray(folder.data(), static_cast<qsizetype>(folder.size()))));
}

void FolderChangeWatch::Gather(platform::FolderChanges changes) {
  if (changes.empty()) return;
  gathered_.Add(std::move(changes));
  quiet_.start();
}
