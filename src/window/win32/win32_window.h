// Form1 drawn with the Win32 API: the system's own controls, made from the
// layout table and placed at the window's DPI, each event forwarded to
// Form1's handler. Text is UTF-8 inside and wide only at the API.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <commctrl.h>
#include <shobjidl.h>

#include "form1.h"

class Win32Window : public window::Form1View {
 public:
  // Creates the window, hidden, and loads it; `drives` lists the drives Drive1
  // offers and `report_calls` write the report.
  explicit Win32Window(std::unique_ptr<platform::DriveSource> drives = platform::SystemDrives(),
                       const platform::ReportFileCalls& report_calls = platform::SystemReportFileCalls());
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Shows the window and runs the program's messages until it closes; returns the exit code.
  int Run();
  // Handles one queued message as Run does (dialog keys first); false when it is WM_QUIT.
  bool Dispatch(MSG& message);

  HWND hwnd() const { return hwnd_; }
  // The control of a layout row: `index` is the terrain code for Check1.
  HWND control(window::Control control, int index = 0) const;
  window::Form1& form() { return form_; }

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
  void ShowFiles(const std::vector<std::string>& names) override;
  void WatchFolder(const platform::NativeString& folder) override;
  void ShowMessage(const std::string& text) override;
  void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) override;
  void ShowProgress(window::Progress state, double fraction) override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                    DWORD_PTR self);
  // The answer to a message, or nothing to leave it to the system.
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  void CreateControls();
  // Places every control and sets the fonts at dpi_.
  void LayOut();
  void OpenSelectedFolder();
  void DrawFile1Row(const DRAWITEMSTRUCT& row);
  HWND ControlAt(std::size_t row) const { return controls_[row]; }

  HWND hwnd_ = nullptr;
  std::array<HWND, window::kControlCount> controls_{};  // in layout order
  UINT dpi_ = 96;
  HFONT window_font_ = nullptr;
  HFONT notice_font_ = nullptr;
  HIMAGELIST folder_icons_ = nullptr;
  int row_height_ = 16;  // pixels, of each row of the lists
  bool com_ = false;     // COM was started for this window, and is ended with it
  std::vector<HTREEITEM> dir1_rows_;
  HANDLE folder_change_ = INVALID_HANDLE_VALUE;
  ITaskbarList3* taskbar_ = nullptr;  // the taskbar button, once a scan has shown progress there
  HWND focus_ = nullptr;  // the control to give the focus back to when the window is activated
  bool busy_ = false;  // a scan runs beside the window: the user's input is dropped
  bool filling_ = false;  // Drive1 is being filled: its notifications are not the user's
  window::Form1 form_;
};
