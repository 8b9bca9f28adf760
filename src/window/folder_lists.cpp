#include "folder_lists.h"

#include <filesystem>
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

}  // namespace

void ListsChange::Add(ListsChange later) {
  if (later.drives) drives = std::move(later.drives);
  if (later.drive) drive = later.drive;
  if (later.folders) folders = std::move(later.folders);
  if (later.folder) folder = later.folder;
  if (later.files) files = std::move(later.files);
  messages.insert(messages.end(), later.messages.begin(), later.messages.end());
  drive_gone = drive_gone || later.drive_gone;
}

FolderLists::FolderLists(std::unique_ptr<platform::DriveSource> drives,
                         std::function<void(const platform::NativeString&)> watch)
    : drive_source_(std::move(drives)), watch_(std::move(watch)) {}

ListsChange FolderLists::Open(const platform::NativeString& folder) {
  ListsChange change;
  drives_ = drive_source_->ListDrives();
  shown_drive_ = platform::DriveIndexOf(drives_, folder);
  change.drives = DriveNames();
  change.drive = shown_drive_;
  // A folder that can no longer be listed is shown with no subfolders (and
  // File1 says why it has no maps).
  if (!SetDir1Path(folder, &change).ok()) ShowDir1Folder(folder, {}, &change);
  return change;
}

ListsChange FolderLists::OpenGiven(const platform::NativeString& folder) {
  std::vector<platform::NativeString> subfolders;
  if (platform::Status status = platform::ListSubfolders(folder, &subfolders); !status.ok()) {
    ListsChange change;
    change.messages.push_back(status.message());
    return change;
  }
  // The drives are listed anew: the folder may be on a volume mounted since.
  return Open(folder);
}

ListsChange FolderLists::ChooseDrive(std::size_t index) {
  ListsChange change;
  if (index >= drives_.size() || MoveToDrive(index, &change)) return change;
  change.messages.emplace_back(scan::kDriveNotReady);
  const std::size_t home = HomeDrive();
  // When the home drive cannot be read either, the lists stay where they were.
  if (home >= drives_.size() || home == index || !MoveToDrive(home, &change)) change.drive = shown_drive_;
  return change;
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
  return change;
}

ListsChange FolderLists::FollowDisk() {
  std::vector<platform::NativeString> subfolders;
  if (!platform::ListSubfolders(dir1_path_, &subfolders).ok()) {
    if (!platform::FolderExists(dir1_path_)) return LeaveGoneFolder();
    subfolders.clear();  // there, but no longer listed: shown empty, as File1 is
  }
  ListsChange change;
  if (subfolders != dir1_subfolders_) ShowDir1Rows(dir1_path_, subfolders, &change);
  std::vector<platform::NativeString> names;
  if (!platform::ListMapFiles(file1_path_, &names).ok()) names.clear();
  if (names != file1_names_) ShowFile1Names(std::move(names), &change);
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
    ShowDir1Folder(dir1_path_, {}, &change);
    return change;
  }
  change.drive = home;
  change.Add(ChooseDrive(home));
  return change;
}

std::size_t FolderLists::HomeDrive() const {
  return platform::DriveIndexOf(drives_, platform::ReportFallbackFolder());
}

platform::Status FolderLists::SetDir1Path(const platform::NativeString& folder, ListsChange* change) {
  std::vector<platform::NativeString> subfolders;
  if (platform::Status status = platform::ListSubfolders(folder, &subfolders); !status.ok()) return status;
  ShowDir1Folder(folder, subfolders, change);
  return platform::Status::Ok();
}

void FolderLists::ShowDir1Folder(const platform::NativeString& folder,
                                 const std::vector<platform::NativeString>& subfolders, ListsChange* change) {
  ShowDir1Rows(folder, subfolders, change);
  Dir1_Change(change);
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

void FolderLists::Dir1_Change(ListsChange* change) {
  file1_path_ = dir1_path_;
  watch_(file1_path_);  // before listing, so that no change falls between the two
  std::vector<platform::NativeString> names;
  const platform::Status status = platform::ListMapFiles(file1_path_, &names);
  ShowFile1Names(std::move(names), change);
  if (!status.ok()) change->messages.push_back(status.message());
}

void FolderLists::ShowFile1Names(std::vector<platform::NativeString> names, ListsChange* change) {
  file1_names_ = std::move(names);
  std::vector<std::string> shown;
  shown.reserve(file1_names_.size());
  for (const platform::NativeString& name : file1_names_) shown.push_back(ShownName(name));
  change->files = std::move(shown);
}

std::vector<std::string> FolderLists::DriveNames() const {
  std::vector<std::string> names;
  for (const platform::Drive& drive : drives_) names.push_back(platform::DriveDisplayName(drive));
  return names;
}

}  // namespace window
