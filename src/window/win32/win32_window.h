// Form1 drawn with the Win32 API: the system's own controls made from the
// layout table, what Form1 asks shown, and each of the user's events passed
// on to Form1Events. Text is UTF-8 inside and wide only at the API.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include <commctrl.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "form1_controls.h"
#include "form1_events.h"
#include "form1_view.h"
#include "platform/folder_watch.h"
#include "window_base.h"

class Win32Window : public WindowBase, public window::Form1View {
 public:
  // Creates the window, hidden and empty until Load.
  Win32Window();
  ~Win32Window() override;

  // From now on passes the user's events on to `events`, starting with Form1_Load.
  void Load(window::Form1Events& events);
  // Shows the window and runs the program's messages until it closes; returns the exit code.
  int Run();

  // The control of a layout row: `index` is the terrain code for Check1.
  HWND control(window::Control control, int index = 0) const { return controls_.Get(control, index); }

  // Form1View.
  void SetTitle(const std::string& text) override;
  void SetText(window::Control control, const std::string& text) override;
  std::string Text1Text() const override;
  std::string CheckCaption(int code) const override;
  bool IsChecked(int code) const override;
  void SetChecked(int code, bool checked) override;
  void ShowDrives(const std::vector<std::string>& names, std::size_t selected) override;
  void SelectDrive(std::size_t index) override;
  void ShowFolders(const std::vector<window::FolderRow>& rows, std::size_t current) override;
  void SelectFolder(std::size_t row) override;
  void ShowFiles(std::vector<std::string> names) override;
  void InsertFile(std::size_t row, const std::string& name) override;
  void RemoveFile(std::size_t row) override;
  void WatchFolder(const platform::NativeString& folder) override;
  void ShowMessage(const std::string& text) override;
  void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) override;
  void ShowProgress(window::Progress state, double fraction) override;
  void Close() override;

 private:
  static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                    DWORD_PTR self);
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool PassesWhileBusy(const MSG& message) const override;
  void OnCloseWhileBusy() override { events_->Form1_QueryUnload(); }
  // The session ends: a scan is stopped, and has ended, before this returns.
  void OnEndSession();
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  // File1's owner-drawn rows and type-ahead: the answer, or none for other messages.
  std::optional<LRESULT> OnFile1Message(UINT message, WPARAM wparam, LPARAM lparam);
  void OpenSelectedFolder();
  // Gathers what changed in the watched folder, to pass on once it is quiet.
  void GatherFolderChanges(platform::FolderChanges changes);
  // Passes on the first file or folder of a drop, unless the window is busy.
  void OnDropFiles(HDROP drop);

  Form1Controls controls_;
  window::Form1Events* events_ = nullptr;
  bool com_ = false;  // COM was started for this window, and is ended with it
  std::vector<HTREEITEM> dir1_rows_;
  platform::FolderWatch folder_watch_;      // the watched folder's changes by name
  platform::FolderChanges folder_changes_;  // gathered since the last FolderChanged
  ITaskbarList3* taskbar_ = nullptr;  // the taskbar button, once a scan has shown progress there
  HWND focus_ = nullptr;  // the control to give the focus back to when the window is activated
};
