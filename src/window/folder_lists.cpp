#include "folder_lists.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

#include "platform/listing.h"
#include "platform/paths.h"
#include "scan/program_texts.h"
#include "shown_text.h"

namespace window {

namespace {

// `folder` + separator + `name`, without doubling a separator already there.
platform::NativeString ChildPath(const platform::NativeString& folder, const platform::NativeString& name) {
  platform::NativeString path = folder;
  if (path.empty() || path.back() != platform::kSeparator) path += platform::kSeparator;
  return path + name;
}

// Up to this many names a change of the folder looks up on the window's
// thread; more go beside it.
constexpr std::size_t kNamesLookedUpHere = 32;
// Beyond this many names, listing the folder again costs less than looking each one up.
constexpr std::size_t kMostNamesLookedUp = 4096;
// Up to this many of File1's rows change one by one; more fill it anew.
constexpr std::size_t kRowsChangedOneByOne = 32;

// Where `name` is or would go in `names`, which are in NameLess order.
std::size_t PlaceOf(const std::vector<platform::NativeString>& names, const platform::NativeString& name) {
  return static_cast<std::size_t>(std::lower_bound(names.begin(), names.end(), name, platform::NameLess) - names.begin());
}

bool Holds(const std::vector<platform::NativeString>& names, const platform::NativeString& name) {
  return std::binary_search(names.begin(), names.end(), name, platform::NameLess);
}

// Puts `name` into `names` (in NameLess order) or takes it out.
void SetHeld(std::vector<platform::NativeString>* names, const platform::NativeString& name, bool held) {
  const std::size_t place = PlaceOf(*names, name);
  const bool there = place < names->size() && (*names)[place] == name;
  if (held && !there) names->insert(names->begin() + static_cast<std::ptrdiff_t>(place), name);
  if (!held && there) names->erase(names->begin() + static_cast<std::ptrdiff_t>(place));
}

void Apply(const FileRowChange& row, std::vector<std::string>* files) {
  const auto at = files->begin() + static_cast<std::ptrdiff_t>(row.row);
  if (row.inserted) {
    files->insert(at, *row.inserted);
  } else {
    files->erase(at);
  }
}

// What the names of a change of the folder are now, as the lists take them:
// each name's last report holds; one added is looked up, as the folder may
// give it another name. A name added that the folder lists by another is no
// entry of its own. A lookup says what is there; a removal only that the
// name went, which a lookup of another name may contradict.
struct NamedEntries {
  std::vector<platform::NativeString> looked_up;  // the names reported added
  std::vector<platform::NativeString> gone;       // the names reported removed
  std::map<platform::NativeString, platform::EntryKind> kinds;

  explicit NamedEntries(const std::vector<platform::NameChange>& changes) {
    std::map<platform::NativeString, bool> added;
    for (const platform::NameChange& change : changes) added[change.name] = change.added;
    for (const auto& [name, was_added] : added) (was_added ? looked_up : gone).push_back(name);
  }
  void LookUp(const platform::NativeString& folder) {
    for (const platform::NativeString& name : looked_up) {
      platform::NativeString listed = name;
      const platform::EntryKind kind = platform::ListedEntry(folder, &listed);
      kinds[listed] = kind;
      if (listed != name) kinds.emplace(name, platform::EntryKind::kNone);
    }
    for (const platform::NativeString& name : gone) kinds.emplace(name, platform::EntryKind::kNone);
  }
};

}  // namespace

void ListsChange::Add(ListsChange later) {
  if (later.drives) drives = std::move(later.drives);
  if (later.drive) drive = later.drive;
  if (later.folders) folders = std::move(later.folders);
  if (later.folder) folder = later.folder;
  if (later.files) {
    files = std::move(later.files);
    file_rows = std::move(later.file_rows);
  } else if (files) {
    for (const FileRowChange& row : later.file_rows) Apply(row, &*files);
  } else {
    file_rows.insert(file_rows.end(), later.file_rows.begin(), later.file_rows.end());
  }
  messages.insert(messages.end(), later.messages.begin(), later.messages.end());
  drive_gone = drive_gone || later.drive_gone;
}

FolderLists::FolderLists(std::unique_ptr<platform::DriveSource> drives,
                         std::function<void(const platform::NativeString&)> watch,
                         std::function<void(const std::function<void()>&)> beside)
    : drive_source_(std::move(drives)), watch_(std::move(watch)), beside_(std::move(beside)) {}

ListsChange FolderLists::Open(const platform::NativeString& folder) { return OpenListed(folder, WatchAndList(folder)); }

ListsChange FolderLists::OpenGiven(const platform::NativeString& folder) {
  Listing listing = WatchAndList(folder);
  if (!listing.status.ok()) {
    ListsChange change;
    change.messages.push_back(listing.status.message());
    WatchShownAgain();
    return CatchUpMissedChanges(std::move(change));
  }
  // The drives are listed anew: the folder may be on a volume mounted since.
  return OpenListed(folder, std::move(listing));
}

ListsChange FolderLists::OpenListed(const platform::NativeString& folder, Listing listing) {
  ListsChange change;
  drives_ = drive_source_->ListDrives();
  shown_drive_ = platform::DriveIndexOf(drives_, folder);
  change.drives = DriveNames();
  change.drive = shown_drive_;
  ShowListing(folder, std::move(listing), &change);
  return change;
}

ListsChange FolderLists::ChooseDrive(std::size_t index) {
  ListsChange change;
  if (index >= drives_.size() || MoveToDrive(index, &change)) return CatchUpMissedChanges(std::move(change));
  change.messages.emplace_back(scan::kDriveNotReady);
  const std::size_t home = HomeDrive();
  // When the home drive cannot be read either, the lists stay where they were.
  if (home >= drives_.size() || home == index || !MoveToDrive(home, &change)) change.drive = shown_drive_;
  return CatchUpMissedChanges(std::move(change));
}

bool FolderLists::MoveToDrive(std::size_t index, ListsChange* change) {
  const platform::NativeString root = drives_[index].root;
  // The drive's last folder, or its root when that folder has gone since.
  const auto remembered = drive_folders_.find(root);
  if (remembered != drive_folders_.end()) {
    const platform::NativeString folder = remembered->second;
    if (SetDir1Path(folder, change).ok()) return true;
  }
  return SetDir1Path(root, change).ok();
}

ListsChange FolderLists::OpenRow(std::size_t row) {
  ListsChange change;
  if (row >= dir1_row_paths_.size()) return change;
  const platform::NativeString folder = dir1_row_paths_[row];  // a copy: the rows are made anew
  const platform::Status status = SetDir1Path(folder, &change);
  if (status.ok()) return change;
  // The folder went before its row did: the rows follow the disk, no more.
  if (!platform::FolderExists(folder)) return FollowDisk();
  change.folder = dir1_current_row_;  // the highlight stays on the folder shown
  change.messages.push_back(status.message());
  return CatchUpMissedChanges(std::move(change));
}

ListsChange FolderLists::FollowDisk() {
  Listing listing = WatchAndList(dir1_path_);
  if (!listing.status.ok() && !platform::FolderExists(dir1_path_)) return LeaveGoneFolder();
  // One that is there but can no longer be listed shows empty.
  missed_changes_ = false;
  ListsChange change;
  if (listing.subfolders != dir1_subfolders_) ShowDir1Rows(dir1_path_, listing.subfolders, &change);
  if (listing.maps != file1_names_) ShowFile1Names(std::move(listing), &change);
  return change;
}

ListsChange FolderLists::FollowChanges(const platform::FolderChanges& changes) {
  if (changes.unknown || changes.names.size() > kMostNamesLookedUp) return FollowDisk();
  NamedEntries entries(changes.names);
  // The last names of a folder that went itself, which not every system
  // reports (wine reports only the names removed from it).
  if (!entries.gone.empty() && !platform::FolderExists(dir1_path_)) return FollowDisk();
  for (const platform::NativeString& name : entries.gone) {
    // A name that went which neither list holds may be another name of an entry they hold.
    if (platform::MayNameAnotherWay(name) && !Holds(file1_names_, name) && !Holds(dir1_subfolders_, name)) {
      return FollowDisk();
    }
  }
  if (entries.looked_up.size() > kNamesLookedUpHere) {
    beside_([&entries, this] { entries.LookUp(file1_path_); });
  } else {
    entries.LookUp(file1_path_);
  }
  std::vector<platform::NativeString> subfolders = dir1_subfolders_;
  std::vector<platform::NativeString> gone;
  std::vector<platform::NativeString> come;
  for (const auto& [name, kind] : entries.kinds) {
    SetHeld(&subfolders, name, kind == platform::EntryKind::kFolder);
    const bool map = kind == platform::EntryKind::kMapFile;
    if (map != Holds(file1_names_, name)) (map ? come : gone).push_back(name);
  }
  ListsChange change;
  if (subfolders != dir1_subfolders_) ShowDir1Rows(dir1_path_, subfolders, &change);
  ChangeFile1Names(std::move(gone), std::move(come), &change);
  return change;
}

ListsChange FolderLists::FollowDrives() {
  ListsChange change = RefreshDrives();
  // A drive that stays listed while its medium goes.
  if (!change.drive_gone && !platform::FolderExists(dir1_path_)) change.Add(LeaveGoneFolder());
  return change;
}

ListsChange FolderLists::RefreshDrives() {
  ListsChange change;
  std::vector<platform::Drive> drives = drive_source_->ListDrives();
  if (drives == drives_) return change;
  const bool had_drive = shown_drive_ < drives_.size();
  const platform::NativeString shown_root = had_drive ? drives_[shown_drive_].root : platform::NativeString();
  drives_ = std::move(drives);
  shown_drive_ = platform::DriveIndexOf(drives_, dir1_path_);
  change.drives = DriveNames();
  change.drive = shown_drive_;
  if (!had_drive || (shown_drive_ < drives_.size() && drives_[shown_drive_].root == shown_root)) return change;
  // The volume the lists were on has gone: they move to the home drive.
  change.drive_gone = true;
  change.drive = HomeDrive();
  change.Add(ChooseDrive(HomeDrive()));
  return change;
}

ListsChange FolderLists::LeaveGoneFolder() {
  ListsChange change;
  const bool on_drive = shown_drive_ < drives_.size();
  const platform::NativeString root = on_drive ? drives_[shown_drive_].root : platform::NativeString();
  if (on_drive && platform::FolderExists(root)) {
    // The nearest folder that can still be listed, this one or one above it.
    for (std::filesystem::path folder(dir1_path_);; folder = folder.parent_path()) {
      if (SetDir1Path(folder.native(), &change).ok()) return change;
      if (folder.native() == root || !folder.has_relative_path()) break;
    }
  }
  change.drive_gone = true;
  const std::size_t home = HomeDrive();
  if (home >= drives_.size() || home == shown_drive_) {
    // Home itself is on the drive that went: what is left is shown as empty.
    ShowListing(dir1_path_, WatchAndList(dir1_path_), &change);
    return change;
  }
  change.drive = home;
  change.Add(ChooseDrive(home));
  return change;
}

std::size_t FolderLists::HomeDrive() const {
  return platform::DriveIndexOf(drives_, platform::ReportFallbackFolder());
}

FolderLists::Listing FolderLists::List(const platform::NativeString& folder) const {
  Listing listing;
  beside_([&] {
    listing.status = platform::ListFolder(folder, &listing.subfolders, &listing.maps);
    if (!listing.status.ok()) {
      listing.subfolders.clear();
      listing.maps.clear();
    }
    listing.shown.reserve(listing.maps.size());
    for (const platform::NativeString& name : listing.maps) listing.shown.push_back(ShownName(name));
  });
  return listing;
}

FolderLists::Listing FolderLists::WatchAndList(const platform::NativeString& folder) {
  watch_(folder);  // before listing, so that no change falls between the two
  return List(folder);
}

platform::Status FolderLists::SetDir1Path(const platform::NativeString& folder, ListsChange* change) {
  Listing listing = WatchAndList(folder);
  if (!listing.status.ok()) {
    WatchShownAgain();
    return listing.status;
  }
  ShowListing(folder, std::move(listing), change);
  return platform::Status::Ok();
}

void FolderLists::ShowListing(const platform::NativeString& folder, Listing listing, ListsChange* change) {
  missed_changes_ = false;
  ShowDir1Rows(folder, listing.subfolders, change);
  Dir1_Change(std::move(listing), change);
}

void FolderLists::WatchShownAgain() {
  // Until the lists show a folder, there is none to watch.
  if (!file1_path_.empty()) watch_(file1_path_);
  missed_changes_ = true;
}

ListsChange FolderLists::CatchUpMissedChanges(ListsChange change) {
  // Unless the folder shown went meanwhile, which a move has then already left.
  if (std::exchange(missed_changes_, false) && platform::FolderExists(dir1_path_)) change.Add(FollowDisk());
  return change;
}

void FolderLists::ShowDir1Rows(const platform::NativeString& folder,
                               const std::vector<platform::NativeString>& subfolders, ListsChange* change) {
  dir1_path_ = folder;
  dir1_subfolders_ = subfolders;
  const std::size_t drive = platform::DriveIndexOf(drives_, folder);
  if (drive < drives_.size()) {
    shown_drive_ = drive;
    drive_folders_[drives_[drive].root] = folder;
  }

  // The drive's root, each folder down to this one, and this one's subfolders.
  std::vector<FolderRow> rows;
  dir1_row_paths_.clear();
  const platform::NativeString root = drive < drives_.size()
                                          ? drives_[drive].root
                                          : std::filesystem::path(folder).root_path().native();
  rows.push_back({platform::ToUtf8(root), 0, true});
  dir1_row_paths_.push_back(root);
  for (const auto& part : std::filesystem::path(folder).lexically_relative(root)) {
    if (part.empty() || part == ".") continue;
    rows.push_back({ShownName(part.native()), static_cast<int>(rows.size()), true});
    dir1_row_paths_.push_back(ChildPath(dir1_row_paths_.back(), part.native()));
  }
  dir1_current_row_ = rows.size() - 1;
  const int depth = static_cast<int>(rows.size());
  for (const platform::NativeString& name : subfolders) {
    rows.push_back({ShownName(name), depth, false});
    dir1_row_paths_.push_back(ChildPath(folder, name));
  }
  change->folders = std::move(rows);
  change->folder = dir1_current_row_;
  change->drive = shown_drive_;
}

void FolderLists::Dir1_Change(Listing listing, ListsChange* change) {
  file1_path_ = dir1_path_;
  if (!listing.status.ok()) change->messages.push_back(listing.status.message());
  ShowFile1Names(std::move(listing), change);
}

void FolderLists::ShowFile1Names(Listing listing, ListsChange* change) {
  file1_names_ = std::move(listing.maps);
  change->files = std::move(listing.shown);
  change->file_rows.clear();
}

void FolderLists::ChangeFile1Names(std::vector<platform::NativeString> gone, std::vector<platform::NativeString> come,
                                   ListsChange* change) {
  if (gone.size() + come.size() <= kRowsChangedOneByOne) {
    for (const platform::NativeString& name : gone) {
      const std::size_t row = PlaceOf(file1_names_, name);
      file1_names_.erase(file1_names_.begin() + static_cast<std::ptrdiff_t>(row));
      change->file_rows.push_back({row, std::nullopt});
    }
    for (const platform::NativeString& name : come) {
      const std::size_t row = PlaceOf(file1_names_, name);
      file1_names_.insert(file1_names_.begin() + static_cast<std::ptrdiff_t>(row), name);
      change->file_rows.push_back({row, ShownName(name)});
    }
    return;
  }
  // Many at once: the names merged in one pass, and File1 filled anew.
  std::sort(gone.begin(), gone.end(), platform::NameLess);
  std::sort(come.begin(), come.end(), platform::NameLess);
  Listing merged;
  merged.maps.reserve(file1_names_.size() + come.size());
  auto next = come.begin();
  for (platform::NativeString& name : file1_names_) {
    for (; next != come.end() && platform::NameLess(*next, name); ++next) merged.maps.push_back(*next);
    if (!Holds(gone, name)) merged.maps.push_back(std::move(name));
  }
  merged.maps.insert(merged.maps.end(), next, come.end());
  merged.shown.reserve(merged.maps.size());
  for (const platform::NativeString& name : merged.maps) merged.shown.push_back(ShownName(name));
  ShowFile1Names(std::move(merged), change);
}

std::vector<std::string> FolderLists::DriveNames() const {
  std::vector<std::string> names;
  for (const platform::Drive& drive : drives_) names.push_back(platform::DriveDisplayName(drive));
  return names;
}

}  // namespace window
