#include "form1.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <utility>

#include "given_path.h"
#include "groundstyles_version.h"
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
             const platform::ReportFileSystem& report_files)
    : view_(view),
      lists_(std::move(drives), [this](const platform::NativeString& folder) { WatchFolder(folder); },
             [this](const std::function<void()>& work) { ListBeside(work); }),
      report_files_(report_files) {}

void Form1::WatchFolder(const platform::NativeString& folder) {
  folder_changes_ = {};  // gathered for the folder watched before
  view_.WatchFolder(folder);
}

void Form1::ListBeside(const std::function<void()>& work) {
  const bool was_listing = std::exchange(listing_, true);
  view_.RunBusy(work, [] {});
  listing_ = was_listing;
}

void Form1::CatchUp() {
  if (busy()) return;
  if (std::exchange(close_requested_, false)) {
    // Asked for while a folder was listed.
    view_.Close();
    return;
  }
  while (!busy() && (!folder_changes_.empty() || drives_changed_)) {
    ListsChange change;
    if (!folder_changes_.empty()) change = lists_.FollowChanges(std::exchange(folder_changes_, {}));
    if (std::exchange(drives_changed_, false)) change.Add(lists_.FollowDrives());
    Show(std::move(change));
  }
}

void Form1::Form1_Load() {
  ListsChange change;
  if (!start_path_.empty()) change = lists_.OpenGiven(FolderOfGivenPath(start_path_));
  if (!change.folders) {
    // No start path, or its folder cannot be listed (which the change's
    // message says): the lists open on the working folder and its drive, as
    // they do by themselves.
    std::error_code error;
    platform::NativeString folder = std::filesystem::current_path(error).native();
    if (error) folder = platform::ReportFallbackFolder();
    change.Add(lists_.Open(folder));
  }
  Show(change);

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
  CatchUp();
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
  if (busy() || lists_.file1_names().empty()) return;
  scan::ScanRequest request;
  request.report_folder_text = ReportFolderText();
  request.listed_folder = lists_.file1_path();
  request.listed_names = lists_.file1_names();
  request.selection = Selection();
  request.report_files = report_files_;
  request.stop = &stop_scan_;
  // The scan reads and writes beside the window, which keeps answering; the
  // lists hold still until it ends (see scanning_).
  ScanProgress progress(view_, request.listed_names.size());
  platform::Status status;
  scanning_ = true;
  stop_scan_ = false;
  view_.RunBusy([&] { status = scan::RunScan(request, catalogue_, progress.Indicator()); }, [&] { progress.Tick(); });
  scanning_ = false;
  if (std::exchange(close_requested_, false)) {
    // Whatever the scan came to, the user has asked to leave: nothing is shown.
    progress.Hide();
    view_.Close();
    return;
  }
  if (!status.ok()) progress.Fail();
  status = CatchUpAfterScan(std::move(status));
  if (!status.ok()) ShowMessage(status.message());
  progress.Hide();
  CatchUp();
}

platform::Status Form1::CatchUpAfterScan(platform::Status status) {
  const platform::NativeString listed_folder = lists_.file1_path();
  ListsChange change;
  if (!folder_changes_.empty()) change.Add(lists_.FollowChanges(std::exchange(folder_changes_, {})));
  if (std::exchange(drives_changed_, false)) change.Add(lists_.FollowDrives());
  if (!status.ok() && !platform::FolderExists(listed_folder)) {
    // The maps' folder went during the scan, and the lists leave it unless
    // they have. When its drive went with it, no map is missing: the drive is
    // not ready.
    if (!change.drive_gone && lists_.file1_path() == listed_folder) change.Add(lists_.FollowDisk());
    if (change.drive_gone) status = platform::Status::Error(std::string(scan::kDriveNotReady));
  }
  Show(std::move(change));
  return status;
}

void Form1::Command2_Click() { Form1_QueryUnload(); }

void Form1::Form1_QueryUnload() {
  if (!busy()) {
    view_.Close();
    return;
  }
  // The view keeps running the busy loop; Command1_Click closes the window
  // once the scan has stopped, CatchUp once the folder has been listed.
  close_requested_ = true;
  stop_scan_ = scanning_;
}

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
  Show(lists_.ChooseDrive(index));
  CatchUp();
}

void Form1::Drive1_Refresh() {
  drives_changed_ = true;
  CatchUp();  // unless busy: a scan reads File1's names, and a listing is under way
}

void Form1::Dir1_Open(std::size_t row) {
  Show(lists_.OpenRow(row));
  CatchUp();
}

void Form1::Form1_DragDrop(const platform::NativeString& path) {
  if (busy()) return;
  Show(lists_.OpenGiven(FolderOfGivenPath(path)));
  CatchUp();
}

void Form1::FolderChanged(const platform::FolderChanges& changes) {
  folder_changes_.Add(changes);
  CatchUp();
}

void Form1::Show(ListsChange change) {
  if (change.drives) {
    view_.ShowDrives(*change.drives, change.drive.value_or(change.drives->size()));
  } else if (change.drive) {
    view_.SelectDrive(*change.drive);
  }
  if (change.folders) {
    view_.ShowFolders(*change.folders, change.folder.value_or(0));
  } else if (change.folder) {
    view_.SelectFolder(*change.folder);
  }
  if (change.files) view_.ShowFiles(std::move(*change.files));
  for (const FileRowChange& row : change.file_rows) {
    if (row.inserted) {
      view_.InsertFile(row.row, *row.inserted);
    } else {
      view_.RemoveFile(row.row);
    }
  }
  for (const std::string& message : change.messages) ShowMessage(message);
}

void Form1::ShowMessage(const std::string& text) { view_.ShowMessage(WrapLongWords(text, kMessageWordWidth)); }

}  // namespace window
