#include "form1.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <utility>

#include "groundstyles_version.h"
#include "platform/listing.h"
#include "platform/paths.h"
#include "scan/program_texts.h"
#include "scan/report.h"
#include "scan/run_scan.h"
#include "scan/text.h"
#include "shown_text.h"

namespace window {

namespace {

// A scan that ends sooner shows no progress.
constexpr std::chrono::milliseconds kProgressDelay{500};
// Message boxes wrap at spaces; a longer unbroken run would widen them past the screen.
constexpr std::size_t kMessageWordWidth = 64;

// `folder` + separator + `name`, without doubling a separator already there.
platform::NativeString ChildPath(const platform::NativeString& folder, const platform::NativeString& name) {
  platform::NativeString path = folder;
  if (path.empty() || path.back() != platform::kSeparator) path += platform::kSeparator;
  return path + name;
}

// A scan's progress, counted on the reading threads and shown from the
// window's: only once the scan has lasted kProgressDelay, and only when it moved.
class ScanProgress {
 public:
  ScanProgress(Form1View& view, std::size_t maps) : view_(view), maps_(static_cast<double>(maps)) {}
  // Counts maps for the scan.
  scan::BusyIndicator Indicator() {
    scan::BusyIndicator busy;
    busy.progress = [this](std::size_t done) { done_.store(done, std::memory_order_relaxed); };
    return busy;
  }
  void Tick() {
    if (std::chrono::steady_clock::now() - start_ < kProgressDelay) return;
    const double fraction = static_cast<double>(done_.load(std::memory_order_relaxed)) / maps_;
    if (shown_ && fraction == fraction_) return;
    shown_ = true;
    fraction_ = fraction;
    view_.ShowProgress(Progress::kRunning, fraction_);
  }
  void Fail() {
    if (shown_) view_.ShowProgress(Progress::kFailed, fraction_);
  }
  void Hide() {
    if (shown_) view_.ShowProgress(Progress::kHidden, 0);
  }

 private:
  Form1View& view_;
  const double maps_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::atomic<std::size_t> done_{0};
  bool shown_ = false;
  double fraction_ = 0;
};

}  // namespace

Form1::Form1(Form1View& view, std::unique_ptr<platform::DriveSource> drives,
             const platform::ReportFileCalls& report_calls)
    : view_(view), drive_source_(std::move(drives)), report_calls_(report_calls) {}

void Form1::Form1_Load() {
  // The lists open on the working folder and its drive, as they do by themselves.
  drives_ = drive_source_->ListDrives();
  std::error_code error;
  platform::NativeString folder = std::filesystem::current_path(error).native();
  if (error) folder = platform::ReportFallbackFolder();
  shown_drive_ = platform::DriveIndexOf(drives_, folder);
  ShowDrive1();
  // A folder that can no longer be listed is shown with no subfolders (and
  // File1 says why it has no maps).
  if (!SetDir1Path(folder).ok()) ShowDir1Folder(folder, {});

  view_.SetText(Control::kLabel3, std::string(scan::kNotice));
  const std::string version = scan::SignedNumberText(GROUNDSTYLES_VERSION_MAJOR) + "." +
                              scan::SignedNumberText(GROUNDSTYLES_VERSION_MINOR) + "." +
                              scan::SignedNumberText(GROUNDSTYLES_VERSION_PATCH);
  view_.SetTitle(std::string(scan::kTitleStart) + version);
  text1_default_ = platform::ToUtf8(platform::ReportFallbackFolder());
  view_.SetText(Control::kText1, text1_default_);
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    catalogue_.SetTerrainName(code, view_.CheckCaption(code));
    view_.SetChecked(code, true);
  }
}

scan::TerrainSelection Form1::Selection() const {
  scan::TerrainSelection selection;
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) selection.SetSelected(code, view_.IsChecked(code));
  return selection;
}

platform::NativeString Form1::ReportFolderText() const {
  const std::string text = view_.Text1Text();
  // A home folder whose name is not valid UTF-8 cannot be typed back from its
  // shown text; the default text stands for the folder itself.
  if (scan::TrimSpaces(text) == text1_default_) return platform::ReportFallbackFolder();
  return platform::FromUtf8(text);
}

void Form1::Command1_Click() {
  // With no maps listed there is nothing to wait for and nothing to write.
  if (scanning_ || file1_names_.empty()) return;
  scan::ScanRequest request;
  request.report_folder_text = ReportFolderText();
  request.listed_folder = file1_path_;
  request.listed_names = file1_names_;
  request.selection = Selection();
  request.report_calls = report_calls_;
  // The scan reads and writes beside the window, which keeps answering; the
  // lists hold still until it ends (see scanning_).
  ScanProgress progress(view_, request.listed_names.size());
  platform::Status status;
  scanning_ = true;
  view_.RunBusy([&] { status = scan::RunScan(request, catalogue_, progress.Indicator()); }, [&] { progress.Tick(); });
  scanning_ = false;
  if (!status.ok()) progress.Fail();
  status = CatchUpAfterScan(std::move(status));
  if (!status.ok()) ShowMessage(status.message());
  progress.Hide();
}

platform::Status Form1::CatchUpAfterScan(platform::Status status) {
  const std::size_t shown_drive = shown_drive_;
  const platform::NativeString listed_folder = file1_path_;
  if (std::exchange(folder_changed_, false)) FolderChanged();
  if (std::exchange(drives_changed_, false)) Drive1_Refresh();
  if (status.ok() || platform::FolderExists(listed_folder)) return status;
  // The maps' folder went during the scan. When its drive went with it, no
  // map is missing: the drive is not ready, and the lists have gone home.
  if (shown_drive_ != shown_drive || LeaveGoneFolder()) return platform::Status::Error(std::string(scan::kDriveNotReady));
  return status;
}

void Form1::Command2_Click() { view_.Close(); }

void Form1::Text1_LostFocus(FocusTarget target) {
  // Not the window losing activation or a message box opening: the user moving on.
  if (target == FocusTarget::kControl) ReportFolderWarning();
}

void Form1::ReportFolderWarning() {
  if (scan::TypedReportFolder(ReportFolderText())) return;
  ShowMessage(std::string(scan::kMissingFolderStart) + scan::TrimSpaces(view_.Text1Text()) +
              std::string(scan::kMissingFolderMiddle) + platform::ToUtf8(platform::ReportFallbackFolder()) +
              std::string(scan::kMissingFolderEnd));
}

void Form1::Drive1_Change(std::size_t index) {
  if (index >= drives_.size()) return;
  const platform::Drive& drive = drives_[index];
  // The drive's last folder, or its root when that folder has gone since.
  const auto remembered = drive_folders_.find(drive.root);
  if (remembered != drive_folders_.end() && SetDir1Path(remembered->second).ok()) return;
  if (SetDir1Path(drive.root).ok()) return;

  if (falling_back_) {
    // The fall-back drive is not ready either: the lists stay where they were.
    view_.SelectDrive(shown_drive_);
    return;
  }
  ShowMessage(std::string(scan::kDriveNotReady));
  falling_back_ = true;
  const std::size_t home = HomeDrive();
  if (home < drives_.size() && home != index) {
    MoveToDrive(home);
  } else {
    view_.SelectDrive(shown_drive_);
  }
  falling_back_ = false;
}

void Form1::Drive1_Refresh() {
  if (scanning_) {
    drives_changed_ = true;
    return;
  }
  // A volume that has left the list, or a drive whose medium has gone.
  if (!RefreshDrives() && !platform::FolderExists(dir1_path_)) LeaveGoneFolder();
}

bool Form1::RefreshDrives() {
  std::vector<platform::Drive> drives = drive_source_->ListDrives();
  if (drives == drives_) return false;
  const bool had_drive = shown_drive_ < drives_.size();
  const platform::NativeString shown_root = had_drive ? drives_[shown_drive_].root : platform::NativeString();
  drives_ = std::move(drives);
  shown_drive_ = platform::DriveIndexOf(drives_, dir1_path_);
  ShowDrive1();
  if (!had_drive || (shown_drive_ < drives_.size() && drives_[shown_drive_].root == shown_root)) return false;
  // The volume the lists were on has gone: they move to the home drive.
  MoveToDrive(HomeDrive());
  return true;
}

std::size_t Form1::HomeDrive() const { return platform::DriveIndexOf(drives_, platform::ReportFallbackFolder()); }

void Form1::MoveToDrive(std::size_t index) {
  view_.SelectDrive(index);
  Drive1_Change(index);
}

bool Form1::LeaveGoneFolder() {
  const bool on_drive = shown_drive_ < drives_.size();
  const platform::NativeString root = on_drive ? drives_[shown_drive_].root : platform::NativeString();
  if (on_drive && platform::FolderExists(root)) {
    // The nearest folder that can still be listed, this one or one above it.
    for (std::filesystem::path folder(dir1_path_);; folder = folder.parent_path()) {
      if (SetDir1Path(folder.native()).ok()) return false;
      if (folder.native() == root || !folder.has_relative_path()) break;
    }
  }
  const std::size_t home = HomeDrive();
  if (home >= drives_.size() || home == shown_drive_) {
    // Home itself is on the drive that went: what is left is shown as empty.
    ShowDir1Folder(dir1_path_, {});
    return true;
  }
  MoveToDrive(home);
  return true;
}

void Form1::Dir1_Open(std::size_t row) {
  if (row >= dir1_row_paths_.size()) return;
  const platform::NativeString folder = dir1_row_paths_[row];  // a copy: the rows are made anew
  if (platform::Status status = SetDir1Path(folder); !status.ok()) {
    if (!platform::FolderExists(folder)) {
      // The folder went before its row did: the rows follow the disk, no more.
      FolderChanged();
      return;
    }
    view_.SelectFolder(dir1_current_row_);  // the highlight stays on the folder shown
    ShowMessage(status.message());
  }
}

void Form1::Dir1_Change() { SetFile1Path(dir1_path_); }

void Form1::FolderChanged() {
  // The scan reads File1's names: a change waits until it ends.
  if (scanning_) {
    folder_changed_ = true;
    return;
  }
  std::vector<platform::NativeString> subfolders;
  if (!platform::ListSubfolders(dir1_path_, &subfolders).ok()) {
    if (!platform::FolderExists(dir1_path_)) {
      LeaveGoneFolder();
      return;
    }
    subfolders.clear();  // there, but no longer listed: shown empty, as File1 is
  }
  if (subfolders != dir1_subfolders_) ShowDir1Rows(dir1_path_, subfolders);
  std::vector<platform::NativeString> names;
  if (!platform::ListMapFiles(file1_path_, &names).ok()) names.clear();
  if (names != file1_names_) ShowFile1Names(std::move(names));
}

platform::Status Form1::SetDir1Path(const platform::NativeString& folder) {
  std::vector<platform::NativeString> subfolders;
  if (platform::Status status = platform::ListSubfolders(folder, &subfolders); !status.ok()) return status;
  ShowDir1Folder(folder, subfolders);
  return platform::Status::Ok();
}

void Form1::ShowDir1Folder(const platform::NativeString& folder,
                           const std::vector<platform::NativeString>& subfolders) {
  ShowDir1Rows(folder, subfolders);
  Dir1_Change();
}

void Form1::ShowDir1Rows(const platform::NativeString& folder,
                         const std::vector<platform::NativeString>& subfolders) {
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
  view_.ShowFolders(rows, dir1_current_row_);
}

void Form1::SetFile1Path(const platform::NativeString& folder) {
  file1_path_ = folder;
  view_.WatchFolder(folder);  // before listing, so that no change falls between the two
  std::vector<platform::NativeString> names;
  const platform::Status status = platform::ListMapFiles(folder, &names);
  ShowFile1Names(std::move(names));
  if (!status.ok()) ShowMessage(status.message());
}

void Form1::ShowFile1Names(std::vector<platform::NativeString> names) {
  file1_names_ = std::move(names);
  std::vector<std::string> shown;
  shown.reserve(file1_names_.size());
  for (const platform::NativeString& name : file1_names_) shown.push_back(ShownName(name));
  view_.ShowFiles(shown);
}

void Form1::ShowDrive1() {
  std::vector<std::string> names;
  for (const platform::Drive& drive : drives_) names.push_back(platform::DriveDisplayName(drive));
  view_.ShowDrives(names, shown_drive_);
}

void Form1::ShowMessage(const std::string& text) { view_.ShowMessage(WrapLongWords(text, kMessageWordWidth)); }

}  // namespace window
