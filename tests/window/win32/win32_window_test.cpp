// The Win32 window: its controls where the layout puts them at the window's
// DPI, the dialog keys, and the user's events reaching Form1.
#include "win32_window.h"

#include <gtest/gtest.h>

#include <functional>

#include "fake_drives.h"
#include "map_writer.h"
#include "scan/report.h"

namespace {

namespace fs = std::filesystem;
using window::Control;

// The window with its message boxes recorded instead of shown.
class RecordingWindow : public Win32Window {
 public:
  using Win32Window::Win32Window;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

std::wstring ClassOf(HWND control) {
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  return name;
}

std::wstring TextOf(HWND control) {
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  return text;
}

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_ / "more");
    tools::WriteFile(maps_ / "KLIN.MAP", tools::MapBytes({9}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
    window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_));
  }
  void TearDown() override {
    window_.reset();
    fs::current_path(old_cwd_);
  }

  HWND Get(Control control, int index = 0) const { return window_->control(control, index); }
  // The control's place in the window's client area.
  RECT Place(HWND control) const {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // Handles what is queued now, as the program's loop does.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window_->Dispatch(message);
  }
  void Notify(Control control, WORD code) {
    SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Get(control)), code),
                 reinterpret_cast<LPARAM>(Get(control)));
  }
  // Runs the program's loop; `tick` is called every 20 ms until it returns true or
  // `limit_ms` have passed. Returns the loop's exit code, or -1 when the loop was still running.
  int RunWhile(const std::function<bool()>& tick, DWORD limit_ms) {
    static std::function<void()> check;
    const DWORD start = GetTickCount();
    bool ended = false;
    check = [&] {
      if (!ended && (tick() || GetTickCount() - start > limit_ms)) {
        ended = true;
        PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, static_cast<WPARAM>(-1), 0);
      }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { check(); });
    const int code = window_->Run();
    KillTimer(nullptr, timer);
    return code;
  }

  tools::TempFolder temp_;
  fs::path maps_ = temp_.path() / "maps";
  fs::path old_cwd_;
  std::vector<platform::Drive> drives_ = {{temp_.path().native(), ""}, {(temp_.path() / "usb").native(), ""}};
  std::unique_ptr<RecordingWindow> window_;
};

TEST_F(Win32WindowTest, ControlsStandWhereTheLayoutPutsThemAtTheWindowsDpi) {
  const HWND hwnd = window_->hwnd();
  EXPECT_EQ(GetDpiForWindow(hwnd), 96u);
  const auto& table = window::Form1Layout();
  const window::ControlLayout& frame = table[6];
  ASSERT_EQ(frame.control, Control::kFrame1);
  const std::wstring classes[] = {L"ComboBox", L"SysTreeView32", L"ListBox", L"Button", L"Button", L"Static",
                                  L"Button",   L"Button",        L"Edit",    L"Static", L"Static"};
  for (UINT dpi : {96u, 144u}) {
    if (dpi != 96) {
      RECT suggested{0, 0, 800, 760};
      SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    for (const window::ControlLayout& layout : table) {
      const HWND control = Get(layout.control, layout.index);
      SCOPED_TRACE(TextOf(control));
      const bool in_frame = layout.control == Control::kCheck1;
      const int left = window::TwipsToPixels(layout.left + (in_frame ? frame.left : 0), static_cast<int>(dpi));
      const int top = window::TwipsToPixels(layout.top + (in_frame ? frame.top : 0), static_cast<int>(dpi));
      const RECT place = Place(control);
      EXPECT_EQ(place.left, left);
      EXPECT_EQ(place.top, top);
      EXPECT_EQ(place.right - place.left, window::TwipsToPixels(layout.width, static_cast<int>(dpi)));
      if (layout.control != Control::kDrive1) {  // a drop-down list is as high as its font makes it
        EXPECT_EQ(place.bottom - place.top, window::TwipsToPixels(layout.height, static_cast<int>(dpi)));
      }
      EXPECT_EQ(ClassOf(control), classes[static_cast<std::size_t>(layout.control)]);
      if (!layout.text.empty()) {
        EXPECT_EQ(TextOf(control), platform::FromUtf8(layout.text));
      }
    }
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, window::TwipsToPixels(window::kClientWidth, static_cast<int>(dpi)));
    EXPECT_EQ(client.bottom, window::TwipsToPixels(window::kClientHeight, static_cast<int>(dpi)));
  }
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

  // Tab order: the lists, the buttons, the check boxes, the field, and round again.
  std::vector<HWND> expected = {Get(Control::kDrive1), Get(Control::kDir1), Get(Control::kFile1),
                                Get(Control::kCommand1), Get(Control::kCommand2)};
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) expected.push_back(Get(Control::kCheck1, code));
  expected.push_back(Get(Control::kText1));
  expected.push_back(Get(Control::kDrive1));
  std::vector<HWND> chain = {Get(Control::kDrive1)};
  while (chain.size() < expected.size()) chain.push_back(GetNextDlgTabItem(hwnd, chain.back(), FALSE));
  EXPECT_EQ(chain, expected);
}

TEST_F(Win32WindowTest, EventsAndKeysReachForm1) {
  RecordingWindow& w = *window_;
  ShowWindow(w.hwnd(), SW_SHOW);
  EXPECT_EQ(SendMessageW(Get(Control::kFile1), LB_GETCOUNT, 0, 0), 1);

  // Leaving Text1 for another control warns, naming the Documents folder; leaving
  // it for no control of the window does not.
  const tools::ScopedDocumentsFolder documents(L"C:\\users\\Public");  // short enough to stay on one line
  SetWindowTextW(Get(Control::kText1), L"C:\\no such folder");
  SetFocus(Get(Control::kText1));
  SetFocus(Get(Control::kCommand1));
  SetFocus(Get(Control::kText1));
  SetFocus(nullptr);
  Pump();
  EXPECT_EQ(w.messages, std::vector<std::string>{"The folder: C:\\no such folder does not exist.\r\n"
                                                 "If you continue the report will be placed in 'C:\\users\\Public\\'."});

  SendMessageW(Get(Control::kCheck1, 9), BM_SETCHECK, BST_UNCHECKED, 0);  // Ocean: KLIN.MAP holds nothing else
  SetWindowTextW(Get(Control::kText1), temp_.path().c_str());
  Notify(Control::kCommand1, BN_CLICKED);
  EXPECT_EQ(tools::ReadFile(temp_.path() / "GroundStyles.txt"), scan::ReportHeaderText(maps_.native(), 1));

  // Tab, then Enter on a folder of Dir1: the next folder down opens.
  SetFocus(Get(Control::kDrive1));
  PostMessageW(Get(Control::kDrive1), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  ASSERT_EQ(GetFocus(), Get(Control::kDir1));
  const HTREEITEM shown = TreeView_GetSelection(Get(Control::kDir1));
  TreeView_SelectItem(Get(Control::kDir1), TreeView_GetChild(Get(Control::kDir1), shown));
  PostMessageW(Get(Control::kDir1), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(w.form().file1_path(), (maps_ / "more").native());
  EXPECT_EQ(SendMessageW(Get(Control::kFile1), LB_GETCOUNT, 0, 0), 0);

  SendMessageW(Get(Control::kDrive1), CB_SETCURSEL, 1, 0);  // no medium
  Notify(Control::kDrive1, CBN_SELCHANGE);
  EXPECT_EQ(w.messages.back(), "Drive not ready.");
}

TEST_F(Win32WindowTest, InputGivenDuringAScanIsDropped) {
  ShowWindow(window_->hwnd(), SW_SHOW);
  SetWindowTextW(Get(Control::kText1), temp_.path().c_str());
  for (HWND target : {Get(Control::kCheck1, 0), Get(Control::kCommand1)}) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMessageW(target, message, MK_LBUTTON, MAKELPARAM(5, 5));
  }
  Notify(Control::kCommand1, BN_CLICKED);  // the clicks above wait in the queue while it scans
  const fs::path report = temp_.path() / "GroundStyles.txt";
  ASSERT_TRUE(fs::exists(report));
  fs::remove(report);
  Pump();
  EXPECT_EQ(SendMessageW(Get(Control::kCheck1, 0), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(fs::exists(report));
}

TEST_F(Win32WindowTest, StartsOnDrive1FollowsTheFolderAndEndProgramEnds) {
  tools::WriteFile(maps_ / "NEW.MAP", "");  // while the window is open: it shows within a second
  const HWND file1 = Get(Control::kFile1);
  EXPECT_EQ(RunWhile([&] { return SendMessageW(file1, LB_GETCOUNT, 0, 0) == 2; }, 1000), -1);
  EXPECT_EQ(GetFocus(), Get(Control::kDrive1));

  PostMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Get(Control::kCommand2)), BN_CLICKED),
               reinterpret_cast<LPARAM>(Get(Control::kCommand2)));
  EXPECT_EQ(RunWhile([] { return false; }, 5000), 0);  // -1 would mean the program was still running
  EXPECT_FALSE(IsWindow(file1));
}

}  // namespace
