// The events a window toolkit's view passes on to Form1: each user action,
// and each change of the disk or of the volumes the view is told of. A view
// knows Form1 only through this; the toolkit's main gives it Form1.
#pragma once

#include <cstddef>

#include "platform/folder_watch.h"
#include "platform/text.h"

namespace window {

// Where the focus went when Text1 lost it.
enum class FocusTarget {
  kControl,    // another control of the window: the user left the field
  kElsewhere,  // another window, a message box, or the window lost activation
};

class Form1Events {
 public:
  virtual ~Form1Events() = default;

  // The window is made, before it shows.
  virtual void Form1_Load() = 0;
  // "Check mapfiles" and "End Program" clicked, or Enter pressed on them;
  // "End Program" is passed on while the window is busy too.
  virtual void Command1_Click() = 0;
  virtual void Command2_Click() = 0;
  virtual void Text1_LostFocus(FocusTarget target) = 0;
  // The user chose Drive1's entry `index`: with the keyboard while the list
  // is closed, or by closing the open list on it (a click, Enter).
  virtual void Drive1_Change(std::size_t index) = 0;
  // Drive1 is about to open, the window became active, or the system's
  // volumes changed.
  virtual void Drive1_Refresh() = 0;
  // The user opened Dir1's row `row` (double-click or Enter).
  virtual void Dir1_Open(std::size_t row) = 0;
  // The watched folder's files or subfolders changed as `changes` say (see
  // Form1View::WatchFolder).
  virtual void FolderChanged(const platform::FolderChanges& changes) = 0;
  // The user or the system asks the window to close while it is busy (see
  // Form1View::RunBusy): the close box, Alt+F4, the window menu's Close, an
  // end-task request, the session ending. At other times the window closes.
  virtual void Form1_QueryUnload() = 0;
  // The user dropped files or folders on the window; `path` is the first of them.
  virtual void Form1_DragDrop(const platform::NativeString& path) = 0;
};

}  // namespace window
