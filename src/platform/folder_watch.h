// Watching the folder the lists show for entries added, removed or renamed,
// by name, as the system reports them.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/text.h"

namespace platform {

// One name the system reported for the watched folder.
struct NameChange {
  NativeString name;
  bool added = false;  // added or renamed to; otherwise removed or renamed from

  bool operator==(const NameChange&) const = default;
};

// Beyond this many names, changes count as unknown, so that a long burst
// holds no more.
inline constexpr std::size_t kMostNamedChanges = 65536;

// What changed in the watched folder: the names the system reported, in its
// order; or that it could not say which (its queue overflowed, the folder
// itself went or moved, or its file system gives no names), and the folder
// is to be listed again.
struct FolderChanges {
  std::vector<NameChange> names;
  bool unknown = false;  // then `names` is empty

  bool empty() const { return names.empty() && !unknown; }
  // These changes followed by `later`.
  void Add(FolderChanges later);
};

class FolderWatch {
 public:
#ifdef _WIN32
  using Ready = void*;  // a HANDLE, INVALID_HANDLE_VALUE when none
#else
  using Ready = int;  // a file descriptor, -1 when none
#endif

  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // From now on reports the changes of `folder`, and no longer those of the
  // folder watched before; false, watching nothing, when the system cannot
  // watch `folder`.
  bool Watch(const NativeString& folder);
  // Readable (POSIX) or signalled (Windows) while changes wait to be taken.
  // A wait may hold a reference to it: it changes as the watch does.
  const Ready& ready() const { return ready_; }
  // The changes reported since the last call, without waiting.
  FolderChanges Take();

 private:
  // Watches nothing.
  void Stop();

  Ready ready_;
#ifdef _WIN32
  // Asks the system for the next changes of directory_; false when it cannot.
  bool Ask();

  struct Asked;  // what the system fills with the changes asked for
  std::unique_ptr<Asked> asked_;
  bool asking_ = false;  // asked for and not yet answered
  void* directory_;               // the folder opened for its changes, a HANDLE
  void* notification_;            // or, on a file system that gives no names, a change notification
#else
  int watch_ = -1;  // the folder's watch descriptor
#endif
};

}  // namespace platform
