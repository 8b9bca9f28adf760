// The program's one window, Form1, whichever toolkit draws it: its events and
// what it shows for them. The drive, folder and file lists move by the rules
// of FolderLists; Form1 shows what they changed. A toolkit's view shows what
// Form1 gives it and passes on each event the user causes, as Form1Events.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "folder_lists.h"
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
  // `report_files`, which must outlive Form1. Nothing is shown until Form1_Load.
  Form1(Form1View& view, std::unique_ptr<platform::DriveSource> drives,
        const platform::ReportFileSystem& report_files = platform::SystemReportFileSystem());
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // The lists open on the folder `path` stands for (see FolderOfGivenPath), a
  // path given on the command line, rather than on the working folder.
  void SetStartPath(platform::NativeString path) { start_path_ = std::move(path); }
  // The window opens: the lists show the start path's folder, or the working
  // folder, and its drive, then the title, the notice and Text1 are set and
  // every terrain type is ticked. When the start path's folder cannot be
  // listed, a message says why and the lists show the working folder.
  void Form1_Load() override;
  // "Check mapfiles": scans File1's maps into the report folder Text1 names.
  void Command1_Click() override;
  // "End Program": as a request to close the window.
  void Command2_Click() override;
  // Leaving Text1 for another control of the window warns when the folder it
  // names is missing.
  void Text1_LostFocus(FocusTarget target) override;
  // Moves the lists to Drive1's entry `index`.
  void Drive1_Change(std::size_t index) override;
  void Dir1_Open(std::size_t row) override;
  // Dir1 and File1 follow the changes of the watched folder.
  void FolderChanged(const platform::FolderChanges& changes) override;
  // The drives are listed again, so that volumes mounted or removed meanwhile
  // show, and the lists leave a drive that has gone.
  void Drive1_Refresh() override;
  // Closes the window, ending the program; during a scan, stops the scan
  // first (any earlier report stays as it was) and closes once it has ended,
  // with no message; while a folder is listed, closes once it has been.
  void Form1_QueryUnload() override;
  // The lists move to the folder `path` stands for, as when the user opened
  // it; one that cannot be listed leaves them where they are and says why.
  // Dropped while a scan runs or a folder is listed, as the user's other input is.
  void Form1_DragDrop(const platform::NativeString& path) override;

  // The folder Dir1 shows and the folder File1 lists.
  const platform::NativeString& dir1_path() const { return lists_.dir1_path(); }
  const platform::NativeString& file1_path() const { return lists_.file1_path(); }
  // File1's entries as the file system names them, in list order.
  const std::vector<platform::NativeString>& file1_names() const { return lists_.file1_names(); }
  // The terrain names copied from the check boxes at start-up.
  const scan::TerrainCatalogue& catalogue() const { return catalogue_; }
  // Which terrain types are ticked now.
  scan::TerrainSelection Selection() const;

 private:
  // Warns when the folder Text1 names is missing.
  void ReportFolderWarning();
  // The lists watch `folder` from now on.
  void WatchFolder(const platform::NativeString& folder);
  // Runs the lists' slow work on the file system beside the window.
  void ListBeside(const std::function<void()>& work);
  // What the disk and the drives did while the window was busy shows now;
  // or, when the user asked meanwhile, the window closes.
  void CatchUp();
  // A scan runs, or the lists list a folder, beside the window.
  bool busy() const { return scanning_ || listing_; }
  // What the disk and the drives did during a scan shows now; returns the
  // scan's `status`, or "Drive not ready." when the maps' drive went.
  platform::Status CatchUpAfterScan(platform::Status status);
  // Shows what a move of the lists changed.
  void Show(ListsChange change);
  // Text1's text as a path: the default text stands for the folder it was made from.
  platform::NativeString ReportFolderText() const;
  void ShowMessage(const std::string& text);

  Form1View& view_;
  FolderLists lists_;
  const platform::ReportFileSystem& report_files_;
  // A scan runs, or the lists list a folder; the view may still pass on a
  // change of the disk or of the drives meanwhile, which waits until then.
  bool scanning_ = false;
  bool listing_ = false;
  platform::FolderChanges folder_changes_;
  bool drives_changed_ = false;
  // The user asked to close the window while it was busy; a scan is told to stop.
  bool close_requested_ = false;
  std::atomic<bool> stop_scan_{false};
  scan::TerrainCatalogue catalogue_;
  std::string text1_default_;  // the text Form1_Load put in Text1
  platform::NativeString start_path_;  // empty: the working folder
};

}  // namespace window
