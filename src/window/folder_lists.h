// Drive1, Dir1 and File1 as data: the drives, the drive and folder the lists
// are on, each drive's last folder, Dir1's rows and File1's maps, and the
// rules by which they move. Nothing here shows anything: each move returns
// what changed, for Form1 to show.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/folder_watch.h"
#include "platform/status.h"
#include "platform/text.h"

namespace window {

// One row of Dir1: a folder on the way from the drive's root down to the
// folder shown (drawn open), or one of that folder's subfolders (closed).
struct FolderRow {
  std::string text;  // the folder's name; the root's whole path
  int depth = 0;     // 0 for the root, one more for each level below it
  bool open = false;

  bool operator==(const FolderRow&) const = default;
};

// One of File1's rows inserted or removed.
struct FileRowChange {
  std::size_t row = 0;
  std::optional<std::string> inserted;  // the name the row inserted shows; none: the row removed

  bool operator==(const FileRowChange&) const = default;
};

// What a move of the lists changed; what it left alone is empty. Text is as
// the lists show it (UTF-8, one line an entry).
struct ListsChange {
  std::optional<std::vector<std::string>> drives;  // Drive1's entries, anew
  std::optional<std::size_t> drive;                // Drive1's entry selected; past the end: none
  std::optional<std::vector<FolderRow>> folders;   // Dir1's rows, anew
  std::optional<std::size_t> folder;               // Dir1's highlighted row, the folder shown
  std::optional<std::vector<std::string>> files;   // File1's entries, anew
  std::vector<FileRowChange> file_rows;            // then File1's rows inserted and removed, in turn
  std::vector<std::string> messages;               // to show, in turn
  bool drive_gone = false;                         // the drive the lists were on went

  // This change followed by `later`: its lists replace these, its messages follow.
  void Add(ListsChange later);
};

class FolderLists {
 public:
  // `drives` lists the drives Drive1 offers. `watch` is called with File1's
  // folder before each time it is listed, so that a watch begun there misses
  // no change. `beside` runs slow work on the file system (a folder listed,
  // many names looked up) off the window's thread and returns once it has ended.
  FolderLists(std::unique_ptr<platform::DriveSource> drives,
              std::function<void(const platform::NativeString&)> watch,
              std::function<void(const std::function<void()>&)> beside = [](const std::function<void()>& work) {
                work();
              });

  // The lists open on `folder` and its drive; a folder that cannot be listed
  // shows no subfolders and no maps, and a message says why.
  ListsChange Open(const platform::NativeString& folder);
  // The lists move to `folder`, given to the window from outside, and its
  // drive, as when the user opened it; one that cannot be listed leaves them
  // where they are, and a message says why.
  ListsChange OpenGiven(const platform::NativeString& folder);
  // Drive1's entry `index` chosen: the lists move to the drive's last folder,
  // or its root when that has gone. A drive that cannot be read says "Drive
  // not ready." and the lists go to the home drive, or stay where they were
  // when that cannot be read either.
  ListsChange ChooseDrive(std::size_t index);
  // Dir1's row `row` opened: the lists move to its folder. One that went
  // meanwhile only leaves the rows; one that cannot be listed keeps the folder
  // shown and says why.
  ListsChange OpenRow(std::size_t row);
  // The disk changed: Dir1 and File1 list their folder again, or leave it for
  // the nearest folder left when it went.
  ListsChange FollowDisk();
  // The watched folder changed as `changes` say: Dir1 and File1 follow each
  // name, or list the folder again when the system could not say which names
  // (or named more than looking them up is worth).
  ListsChange FollowChanges(const platform::FolderChanges& changes);
  // The drives are listed again; when the drive shown went, the lists go to
  // the home drive.
  ListsChange FollowDrives();

  // The folder Dir1 shows and the folder File1 lists.
  const platform::NativeString& dir1_path() const { return dir1_path_; }
  const platform::NativeString& file1_path() const { return file1_path_; }
  // File1's entries as the file system names them, in list order.
  const std::vector<platform::NativeString>& file1_names() const { return file1_names_; }

 private:
  // A folder as the lists show it: its subfolders, and its maps with their
  // names as shown; empty when it could not be listed.
  struct Listing {
    platform::Status status;
    std::vector<platform::NativeString> subfolders;
    std::vector<platform::NativeString> maps;
    std::vector<std::string> shown;
  };
  // Lists `folder`, beside the window.
  Listing List(const platform::NativeString& folder) const;
  // Watches `folder`, then lists it.
  Listing WatchAndList(const platform::NativeString& folder);
  // The lists on `folder`, as listed, and its drive, the drives listed anew.
  ListsChange OpenListed(const platform::NativeString& folder, Listing listing);
  // A listing failed after the watch had moved: the lists stay where they
  // were, watch their folder again and list it at the end of the move.
  void WatchShownAgain();
  // Moves to the drive's last folder, or its root; false, changing nothing, when neither can be listed.
  bool MoveToDrive(std::size_t index, ListsChange* change);
  // Moves Dir1 to `folder`; fails, changing nothing, when it cannot be listed.
  platform::Status SetDir1Path(const platform::NativeString& folder, ListsChange* change);
  // Dir1 and File1 show `folder` as listed; one that could not be listed
  // shows empty, and a message says why.
  void ShowListing(const platform::NativeString& folder, Listing listing, ListsChange* change);
  // Dir1's rows: the way down to `folder`, then `subfolders`.
  void ShowDir1Rows(const platform::NativeString& folder, const std::vector<platform::NativeString>& subfolders,
                    ListsChange* change);
  // Dir1's folder changed: File1 follows it, with the maps listed there.
  void Dir1_Change(Listing listing, ListsChange* change);
  void ShowFile1Names(Listing listing, ListsChange* change);
  // File1 without the maps `gone` and with the maps `come` (none listed yet):
  // a few rows inserted and removed, or many at once filled anew.
  void ChangeFile1Names(std::vector<platform::NativeString> gone, std::vector<platform::NativeString> come,
                        ListsChange* change);
  // A listing failed after the watch had moved: the folder shown is listed
  // again, for what changed there meanwhile.
  ListsChange CatchUpMissedChanges(ListsChange change);
  // The folder shown went: the lists move up to the nearest folder left, or
  // to the home drive when its drive went.
  ListsChange LeaveGoneFolder();
  // The drives listed again; the lists go home when the drive shown went.
  ListsChange RefreshDrives();
  // The drive that holds the home folder, or drives_.size() when none does.
  std::size_t HomeDrive() const;
  std::vector<std::string> DriveNames() const;

  std::unique_ptr<platform::DriveSource> drive_source_;
  std::function<void(const platform::NativeString&)> watch_;
  std::function<void(const std::function<void()>&)> beside_;
  std::vector<platform::Drive> drives_;
  std::map<platform::NativeString, platform::NativeString> drive_folders_;  // drive root -> last folder shown
  std::size_t shown_drive_ = 0;  // the drive Dir1 and File1 are on; drives_.size() when none
  platform::NativeString dir1_path_;
  std::vector<platform::NativeString> dir1_row_paths_;   // the folder of each Dir1 row
  std::vector<platform::NativeString> dir1_subfolders_;  // the names of the last rows
  std::size_t dir1_current_row_ = 0;
  platform::NativeString file1_path_;
  std::vector<platform::NativeString> file1_names_;
  bool missed_changes_ = false;  // see CatchUpMissedChanges
};

}  // namespace window
