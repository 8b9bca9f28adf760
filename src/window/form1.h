// The program's one window, Form1: everything it holds and does, whichever
// toolkit draws it. A toolkit's view shows what Form1 gives it and passes on
// each event the user causes, as Form1Events.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form1_events.h"
#include "form1_view.h"
#include "platform/drives.h"
#include "platform/text.h"
#include "platform/report_file.h"
#include "scan/terrain.h"

namespace window {

class Form1 : public Form1Events {
 public:
  // `drives` lists the drives Drive1 offers; the report is written through
  // `report_calls`, which must outlive Form1. Nothing is shown until Form1_Load.
  Form1(Form1View& view, std::unique_ptr<platform::DriveSource> drives,
        const platform::ReportFileSystem& report_calls = platform::SystemReportFileSystem());
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // The window opens: the lists show the working folder and its drive, then
  // the title, the notice and Text1 are set and every terrain type is ticked.
  void Form1_Load() override;
  // "Check mapfiles": scans File1's maps into the report folder Text1 names.
  void Command1_Click() override;
  // "End Program".
  void Command2_Click() override;
  // Leaving Text1 for another control of the window warns when the folder it
  // names is missing.
  void Text1_LostFocus(FocusTarget target) override;
  // Moves the lists to Drive1's entry `index`.
  void Drive1_Change(std::size_t index) override;
  void Dir1_Open(std::size_t row) override;
  // Dir1 and File1 list the watched folder again.
  void FolderChanged() override;
  // The drives are listed again, so that volumes mounted or removed meanwhile
  // show, and the lists leave a drive that has gone.
  void Drive1_Refresh() override;

  // The folder Dir1 shows and the folder File1 lists.
  const platform::NativeString& dir1_path() const { return dir1_path_; }
  const platform::NativeString& file1_path() const { return file1_path_; }
  // File1's entries as the file system names them, in list order.
  const std::vector<platform::NativeString>& file1_names() const { return file1_names_; }
  // The terrain names copied from the check boxes at start-up.
  const scan::TerrainCatalogue& catalogue() const { return catalogue_; }
  // Which terrain types are ticked now.
  scan::TerrainSelection Selection() const;

 private:
  // Warns when the folder Text1 names is missing.
  void ReportFolderWarning();
  // Dir1's folder changed: File1 follows it.
  void Dir1_Change();
  // Moves Dir1 to `folder`; fails, changing nothing, when it cannot be listed.
  platform::Status SetDir1Path(const platform::NativeString& folder);
  // Makes `folder` Dir1's path, showing `subfolders` under it, and lets File1 follow.
  void ShowDir1Folder(const platform::NativeString& folder, const std::vector<platform::NativeString>& subfolders);
  // Shows Dir1's rows: the way down to `folder`, then `subfolders`.
  void ShowDir1Rows(const platform::NativeString& folder, const std::vector<platform::NativeString>& subfolders);
  // The folder shown has gone: the lists move up to the nearest folder that
  // is left, or to the home drive when the drive has gone (true then).
  bool LeaveGoneFolder();
  // What the disk and the drives did during a scan shows now; returns the
  // scan's `status`, or "Drive not ready." when the maps' drive went.
  platform::Status CatchUpAfterScan(platform::Status status);
  // The drives listed again; true when the drive shown has left the list and
  // the lists moved to the home drive.
  bool RefreshDrives();
  // The drive that holds the home folder, or drives_.size() when none does.
  std::size_t HomeDrive() const;
  // Selects Drive1's entry `index` and moves the lists there.
  void MoveToDrive(std::size_t index);
  void SetFile1Path(const platform::NativeString& folder);
  void ShowFile1Names(std::vector<platform::NativeString> names);
  void ShowDrive1();
  // Text1's text as a path: the default text stands for the folder it was made from.
  platform::NativeString ReportFolderText() const;
  void ShowMessage(const std::string& text);

  Form1View& view_;
  std::unique_ptr<platform::DriveSource> drive_source_;
  const platform::ReportFileSystem& report_calls_;
  std::vector<platform::Drive> drives_;
  std::map<platform::NativeString, platform::NativeString> drive_folders_;  // drive root -> last folder shown
  std::size_t shown_drive_ = 0;  // the drive Dir1 and File1 are on; drives_.size() when none
  bool falling_back_ = false;    // handling the fall-back to the home drive
  // A scan runs; the view may still pass on a change of the disk or of the
  // drives meanwhile, which waits for the end of the scan.
  bool scanning_ = false;
  bool folder_changed_ = false;
  bool drives_changed_ = false;
  platform::NativeString dir1_path_;
  std::vector<platform::NativeString> dir1_row_paths_;  // the folder of each Dir1 row
  std::vector<platform::NativeString> dir1_subfolders_;  // the names of the last rows
  std::size_t dir1_current_row_ = 0;
  platform::NativeString file1_path_;
  std::vector<platform::NativeString> file1_names_;
  scan::TerrainCatalogue catalogue_;
  std::string text1_default_;  // the text Form1_Load put in Text1
};

}  // namespace window
