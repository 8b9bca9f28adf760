// Folder changes on Windows with ReadDirectoryChangesW, asked for one answer
// at a time with an event that stays the same for the object's life; where
// the file system gives no names, a change notification in its place.
#include <windows.h>

#include "platform/folder_watch.h"
#include "platform/windows_text.h"

namespace platform {

struct FolderWatch::Asked {
  OVERLAPPED overlapped{};
  alignas(DWORD) BYTE buffer[64 * 1024];  // the most a network folder answers with
};

namespace {

constexpr DWORD kNamed = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// The names in an answer of ReadDirectoryChangesW, in its order.
void ReadNames(const BYTE* answer, FolderChanges* changes) {
  for (;;) {
    const auto& info = *reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(answer);
    NativeString name(info.FileName, info.FileNameLength / sizeof(WCHAR));
    switch (info.Action) {
      case FILE_ACTION_ADDED:
      case FILE_ACTION_RENAMED_NEW_NAME:
        changes->names.push_back({std::move(name), true});
        break;
      case FILE_ACTION_REMOVED:
      case FILE_ACTION_RENAMED_OLD_NAME:
        changes->names.push_back({std::move(name), false});
        break;
      default:
        break;
    }
    if (info.NextEntryOffset == 0) return;
    answer += info.NextEntryOffset;
  }
}

}  // namespace

FolderWatch::FolderWatch()
    : ready_(INVALID_HANDLE_VALUE),
      asked_(std::make_unique<Asked>()),
      directory_(INVALID_HANDLE_VALUE),
      notification_(INVALID_HANDLE_VALUE) {
  asked_->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

FolderWatch::~FolderWatch() {
  Stop();
  if (asked_->overlapped.hEvent != nullptr) CloseHandle(asked_->overlapped.hEvent);
}

bool FolderWatch::Watch(const NativeString& folder) {
  Stop();
  if (asked_->overlapped.hEvent == nullptr) return false;
  internal::QuietDriveErrors quiet;
  directory_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (directory_ != INVALID_HANDLE_VALUE && Ask()) {
    ready_ = asked_->overlapped.hEvent;
    return true;
  }
  Stop();
  // The file system gives no names: it only says that something changed.
  notification_ = FindFirstChangeNotificationW(folder.c_str(), FALSE, kNamed);
  ready_ = notification_;
  return notification_ != INVALID_HANDLE_VALUE;
}

bool FolderWatch::Ask() {
  ResetEvent(asked_->overlapped.hEvent);
  asking_ = ReadDirectoryChangesW(directory_, asked_->buffer, sizeof asked_->buffer, FALSE, kNamed, nullptr,
                                  &asked_->overlapped, nullptr) != FALSE;
  return asking_;
}

void FolderWatch::Stop() {
  if (directory_ != INVALID_HANDLE_VALUE) {
    if (asking_) {
      // The system writes into the buffer until it has answered.
      CancelIoEx(directory_, &asked_->overlapped);
      DWORD bytes = 0;
      GetOverlappedResult(directory_, &asked_->overlapped, &bytes, TRUE);
      asking_ = false;
    }
    CloseHandle(directory_);
    directory_ = INVALID_HANDLE_VALUE;
  }
  if (notification_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(notification_);
  notification_ = INVALID_HANDLE_VALUE;
  ready_ = INVALID_HANDLE_VALUE;
}

FolderChanges FolderWatch::Take() {
  FolderChanges changes;
  if (notification_ != INVALID_HANDLE_VALUE) {
    if (WaitForSingleObject(notification_, 0) == WAIT_OBJECT_0) {
      changes.unknown = true;
      FindNextChangeNotification(notification_);
    }
    return changes;
  }
  if (!asking_) return changes;
  DWORD bytes = 0;
  if (!GetOverlappedResult(directory_, &asked_->overlapped, &bytes, FALSE)) {
    if (GetLastError() == ERROR_IO_INCOMPLETE) return changes;  // nothing yet
    // The folder went, or the system cannot go on watching it.
    asking_ = false;
    Stop();
    changes.unknown = true;
    return changes;
  }
  asking_ = false;
  if (bytes == 0) {
    changes.unknown = true;  // more changes than the buffer holds
  } else {
    ReadNames(asked_->buffer, &changes);
  }
  if (!Ask()) {
    Stop();
    changes.unknown = true;
  }
  changes.Add({});  // no more names than it may hold
  return changes;
}

}  // namespace platform
