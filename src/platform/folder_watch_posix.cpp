// Folder changes on Linux with inotify: one descriptor for the object's life
// and one watch on it at a time; what is still queued for a watch removed is
// read and dropped.
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdint>

#include "platform/folder_watch.h"

namespace platform {

namespace {

constexpr std::uint32_t kNamed = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// The folder itself went, moved or was unmounted: what it holds now is unknown.
constexpr std::uint32_t kWhole = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

}  // namespace

FolderWatch::FolderWatch() : ready_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
  if (ready_ >= 0) ::close(ready_);
}

bool FolderWatch::Watch(const NativeString& folder) {
  Stop();
  if (ready_ < 0) return false;
  watch_ = ::inotify_add_watch(ready_, folder.empty() ? "." : folder.c_str(),
                               kNamed | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
  return watch_ >= 0;
}

void FolderWatch::Stop() {
  if (watch_ >= 0) ::inotify_rm_watch(ready_, watch_);
  watch_ = -1;
}

FolderChanges FolderWatch::Take() {
  FolderChanges changes;
  if (ready_ < 0) return changes;
  alignas(inotify_event) char buffer[16 * 1024];
  ssize_t got = 0;
  while ((got = ::read(ready_, buffer, sizeof buffer)) > 0) {
    for (const char* at = buffer; at < buffer + got;) {
      const auto& event = *reinterpret_cast<const inotify_event*>(at);
      at += sizeof(inotify_event) + event.len;
      if ((event.mask & IN_Q_OVERFLOW) != 0) {
        changes.unknown = true;
      } else if (event.wd != watch_ || watch_ < 0) {
        continue;  // a watch stopped since
      } else if ((event.mask & kWhole) != 0) {
        changes.unknown = true;
        if ((event.mask & IN_IGNORED) != 0) watch_ = -1;  // the system ended the watch
      } else if ((event.mask & kNamed) != 0 && event.len > 0) {
        changes.names.push_back({event.name, (event.mask & (IN_CREATE | IN_MOVED_TO)) != 0});
      }
    }
  }
  changes.Add({});  // no more names than it may hold
  return changes;
}

}  // namespace platform
