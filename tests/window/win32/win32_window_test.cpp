// The Win32 window: its controls where the layout puts them at the window's
// DPI, the dialog keys, and the user's events reaching Form1.
#include "win32_window.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <dbt.h>

#include <functional>
#include <thread>

#include "fake_drives.h"
#include "fake_report_calls.h"
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

// The name MSAA gives the control's client area.
std::wstring AccessibleNameOf(HWND control) {
  IAccessible* accessible = nullptr;
  const HRESULT result = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                    reinterpret_cast<void**>(&accessible));
  if (FAILED(result)) return L"(no object: " + std::to_wstring(result) + L")";
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  accessible->get_accName(self, &name);
  std::wstring text = name != nullptr ? name : L"";
  SysFreeString(name);
  accessible->Release();
  return text;
}

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_ / "more");
    tools::WriteFile(maps_ / "KLIN.MAP", tools::MapBytes({9}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
    window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_), report_calls_);
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
  tools::FakeReportCalls report_calls_;  // outlives the window
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
  for (const window::ControlLayout& layout : table) {
    const HWND control = Get(layout.control, layout.index);
    // Every control has its name from the table (Label3 its text, the notice).
    const std::wstring name = AccessibleNameOf(control);
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name, layout.name.empty() ? TextOf(control) : platform::FromUtf8(layout.name));
    // A label lies beneath the controls its box reaches into, and is clipped by them.
    if (ClassOf(control) != L"Static") continue;
    EXPECT_NE(GetWindowLongW(control, GWL_STYLE) & WS_CLIPSIBLINGS, 0);
    for (const window::ControlLayout& other : table) {
      const HWND above = Get(other.control, other.index);
      RECT overlap;
      const RECT label_place = Place(control);
      const RECT other_place = Place(above);
      if (above == control || !IntersectRect(&overlap, &label_place, &other_place)) continue;
      const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
      EXPECT_EQ(ChildWindowFromPointEx(hwnd, inside, CWP_SKIPINVISIBLE), above) << TextOf(above);
    }
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

TEST_F(Win32WindowTest, Dir1ShowsTheFolderShownWholeSevenLevelsDownAndPastItsEdge) {
  const fs::path deep =
      temp_.path() / "Users" / "Player" / "Documents" / "My Games" / "Panzer General 2" / "Downloaded maps";
  fs::create_directories(deep / "Campaign maps that a player collected over the years");
  fs::current_path(deep);
  window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_), report_calls_);
  const HWND dir1 = Get(Control::kDir1);
  RECT client;
  GetClientRect(dir1, &client);
  int icon = 0;
  int unused = 0;
  ImageList_GetIconSize(TreeView_GetImageList(dir1, TVSIL_NORMAL), &icon, &unused);
  const auto name_of = [&](HTREEITEM item) {
    RECT name{};
    TreeView_GetItemRect(dir1, item, &name, TRUE);
    return name;
  };

  // Seven levels down, the folder shown and its icon stand whole in the tree.
  RECT shown = name_of(TreeView_GetSelection(dir1));
  EXPECT_GE(shown.left - icon, 0);
  EXPECT_LE(shown.right, client.right);
  EXPECT_GE(shown.top, 0);
  EXPECT_LE(shown.bottom, client.bottom);

  // A name longer than the tree is wide shows from its icon on; the root is a scroll away.
  window_->form().Dir1_Open(7);
  ASSERT_EQ(window_->form().dir1_path(), (deep / "Campaign maps that a player collected over the years").native());
  shown = name_of(TreeView_GetSelection(dir1));
  EXPECT_GT(shown.right, client.right);
  EXPECT_GE(shown.left - icon, 0);
  EXPECT_LT(shown.left, client.right / 2);
  SendMessageW(dir1, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  EXPECT_GE(name_of(TreeView_GetRoot(dir1)).left - icon, 0);
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

TEST_F(Win32WindowTest, DuringAScanTheWindowAnswersAndDropsInput) {
  ShowWindow(window_->hwnd(), SW_SHOW);
  SetWindowTextW(Get(Control::kText1), temp_.path().c_str());
  for (HWND target : {Get(Control::kCheck1, 0), Get(Control::kCommand1)}) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMessageW(target, message, MK_LBUTTON, MAKELPARAM(5, 5));
  }
  // Another program asks whether the window answers, and the user clicks,
  // types, presses Alt+F4 and the close box, and ends the program from outside.
  const HWND hwnd = window_->hwnd();
  DWORD answered_ms = INFINITE;
  std::thread user([&] {
    Sleep(300);
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result) != 0) {
      answered_ms = GetTickCount() - start;
    }
    const HWND check = Get(Control::kCheck1, 0);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMessageW(check, message, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(Get(Control::kText1), WM_CHAR, L'x', 0);
    PostMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  });
  report_calls_.SetFaults({{.call = tools::FakeReportCalls::Call::kSync, .delay_ms = 1500, .fails = false}});
  Notify(Control::kCommand1, BN_CLICKED);
  user.join();
  EXPECT_LT(answered_ms, 100u);
  const fs::path report = temp_.path() / "GroundStyles.txt";
  ASSERT_TRUE(fs::exists(report));
  fs::remove(report);
  Pump();
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(SendMessageW(Get(Control::kCheck1, 0), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TextOf(Get(Control::kText1)), temp_.path().native());
  EXPECT_FALSE(fs::exists(report));
}

TEST_F(Win32WindowTest, ListsLeaveADriveThatIsRemoved) {
  fs::create_directories(temp_.path() / "card");
  drives_.push_back({(temp_.path() / "card").native(), ""});
  drives_.push_back({L"C:\\", ""});
  window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_), report_calls_);
  SendMessageW(Get(Control::kDrive1), CB_SETCURSEL, 2, 0);
  Notify(Control::kDrive1, CBN_SELCHANGE);
  ASSERT_EQ(window_->form().file1_path(), (temp_.path() / "card").native());
  drives_.erase(drives_.begin() + 2);
  SendMessageW(window_->hwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  Pump();
  EXPECT_EQ(window_->form().file1_path(), L"C:\\");
  EXPECT_EQ(SendMessageW(Get(Control::kDrive1), CB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(window_->messages.empty());
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
