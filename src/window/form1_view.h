// What Form1 asks of a window toolkit: show what it is given and report what
// the user set; the user's events go the other way, as Form1Events. Text is
// UTF-8. A `code` is a terrain code, 0 to scan::kTerrainCodeCount - 1.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "folder_lists.h"
#include "layout.h"
#include "platform/text.h"

namespace window {

// How often the window's thread looks in on a scan running beside it.
inline constexpr int kTickMs = 50;
// A burst of changes in the watched folder is passed on as one, once the
// folder has been quiet this long.
inline constexpr int kFolderChangeDelayMs = 150;

// The scan's progress as the desktop shows it beside the window.
enum class Progress {
  kHidden,   // none shown
  kRunning,  // a share of the maps read
  kFailed,   // the scan failed
};

class Form1View {
 public:
  virtual ~Form1View() = default;

  virtual void SetTitle(const std::string& text) = 0;
  // Sets the text of `control`, which is Label3 or Text1: the other controls
  // keep their captions from the layout table.
  virtual void SetText(Control control, const std::string& text) = 0;
  // Text1's text as the user left it.
  virtual std::string Text1Text() const = 0;
  // The caption and the state of the check box Check1(code).
  virtual std::string CheckCaption(int code) const = 0;
  virtual bool IsChecked(int code) const = 0;
  virtual void SetChecked(int code, bool checked) = 0;

  // Fills Drive1 and selects `selected` (none when it is past the end), without a Drive1_Change.
  virtual void ShowDrives(const std::vector<std::string>& names, std::size_t selected) = 0;
  // Selects Drive1's entry `index` (none when it is past the end) without a Drive1_Change.
  virtual void SelectDrive(std::size_t index) = 0;
  // Fills Dir1, every row shown with its parents open, and highlights row
  // `current`, the folder shown, scrolling it into view (see Dir1ScrollShift).
  // Each row's depth is at most one more than the row before's.
  virtual void ShowFolders(const std::vector<FolderRow>& rows, std::size_t current) = 0;
  // Moves Dir1's highlight back to row `row`, as ShowFolders does; nothing when it is past the end.
  virtual void SelectFolder(std::size_t row) = 0;
  // Fills File1 with `names`, in their order.
  virtual void ShowFiles(std::vector<std::string> names) = 0;
  // Inserts `name` as File1's row `row`, or removes its row `row`; the rows
  // after it move, and the row selected and the rows in view keep their names.
  virtual void InsertFile(std::size_t row, const std::string& name) = 0;
  virtual void RemoveFile(std::size_t row) = 0;
  // From now on, passes on FolderChanged with what the system says changed
  // once `folder` has been quiet for kFolderChangeDelayMs after files or
  // folders were added to, removed from or renamed in it; stops watching the
  // folder before, and drops what it gathered there.
  virtual void WatchFolder(const platform::NativeString& folder) = 0;

  // A modal message box: the text, an OK button, no icon, kMessageCaption as its caption.
  virtual void ShowMessage(const std::string& text) = 0;
  // Runs `work` on a thread of its own and returns once it has ended.
  // Meanwhile the window shows the wait cursor, repaints, moves and answers
  // the system, and drops whatever the user does to it (clicks, keys) but
  // "End Program", passed on as Command2_Click, and a request to close the
  // window, passed on as Form1_QueryUnload; `tick` is called on the window's
  // thread about every kTickMs. Where the system may end the program as soon
  // as it has been told the session ends, the view passes that on and waits
  // for `work` to end before it answers.
  virtual void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) = 0;
  // Shows the scan's progress, `fraction` (0 to 1) of it done, where the desktop keeps
  // it for the window (its taskbar button or launcher entry).
  virtual void ShowProgress(Progress state, double fraction) = 0;
  // Closes the window, which ends the program.
  virtual void Close() = 0;
};

}  // namespace window
