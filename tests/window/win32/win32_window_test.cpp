// The Win32 window: its controls where the layout puts them at the window's
// DPI, what Form1 asks shown, and the user's keys and clicks, through the
// dialog keys, passed on as Form1's events.
#include "win32_window.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <dbt.h>
#include <shlobj.h>

#include <cstring>

#include "accessible_name.h"
#include "view_test_support.h"

namespace {

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
  if (FAILED(result)) return L"(no object)";
  VARIANT self{};
  self.vt = VT_I4;  // lVal 0, CHILDID_SELF: the control itself
  BSTR name = nullptr;
  accessible->get_accName(self, &name);
  std::wstring text = name != nullptr ? name : L"";
  SysFreeString(name);
  accessible->Release();
  return text;
}

// A drop of `paths` as Explorer hands it to the window.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

bool IsLabel(const window::ControlLayout& layout) {
  return layout.control == window::Control::kLabel1 || layout.control == window::Control::kLabel2 ||
         layout.control == window::Control::kLabel3;
}

class Win32WindowTest : public tools::ViewTest<Win32Window> {
 protected:
  HWND Get(Control control, int index = 0) const { return view_->control(control, index); }
  HWND Get(const window::ControlLayout& layout) const { return Get(layout.control, layout.index); }
  // The control's place in the window's client area.
  RECT Place(HWND control) const {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, view_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // The window moved to a screen of `dpi` dots per inch.
  void SetDpi(int dpi) {
    RECT suggested{0, 0, 800, 760};
    SendMessageW(view_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  // Handles what is queued now, as the program's loop does.
  void Pump() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) view_->Dispatch(message);
  }
  // The window shown and active, with four drives and a deep folder; the
  // drives listed again on its activation.
  void ShowActive() {
    view_->ShowDrives({"C:", "D:", "E:", "F:"}, 0);
    view_->ShowFolders(tools::DeepFolderRows(), tools::kDeepRow);
    ShowWindow(view_->hwnd(), SW_SHOW);
    SetForegroundWindow(view_->hwnd());
    Pump();
    ASSERT_EQ(events_.Take(), Events{"Drive1_Refresh"});
  }
  // A click on `control`, or a key pressed and let go on it (then handled), as the system queues them.
  static void PostClick(HWND control) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMessageW(control, message, MK_LBUTTON, MAKELPARAM(5, 5));
  }
  void Key(HWND control, WPARAM key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
    Pump();
  }
  // Runs the program's loop for `limit_ms` at most, calling `tick` every 20 ms.
  // Returns the loop's exit code, or -1 when the loop was still running.
  int RunFor(DWORD limit_ms, const std::function<void()>& tick) {
    static std::function<void()> each;
    each = tick;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { each(); });
    const UINT_PTR limit = SetTimer(nullptr, 0, limit_ms, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(-1); });
    const int code = view_->Run();
    KillTimer(nullptr, timer);
    KillTimer(nullptr, limit);
    return code;
  }
};

TEST_F(Win32WindowTest, ControlsFollowTheLayoutTableAtTheWindowsDpiWithItsNames) {
  const window::ControlLayout& frame = window::Form1Layout()[6];
  ASSERT_EQ(frame.control, Control::kFrame1);
  view_->SetText(Control::kLabel3, std::string(tools::kNotice));
  for (const int dpi : {96, 144}) {
    SetDpi(dpi);
    RECT client;
    GetClientRect(view_->hwnd(), &client);
    EXPECT_EQ(client.right, window::TwipsToPixels(window::kClientWidth, dpi));
    EXPECT_EQ(client.bottom, window::TwipsToPixels(window::kClientHeight, dpi));
    for (const window::ControlLayout& layout : window::Form1Layout()) {
      const HWND control = Get(layout);
      SCOPED_TRACE(TextOf(control));
      const bool in_frame = layout.control == Control::kCheck1;
      const RECT place = Place(control);
      EXPECT_EQ(place.left, window::TwipsToPixels(layout.left + (in_frame ? frame.left : 0), dpi));
      EXPECT_EQ(place.top, window::TwipsToPixels(layout.top + (in_frame ? frame.top : 0), dpi));
      EXPECT_EQ(place.right - place.left, window::TwipsToPixels(layout.width, dpi));
      if (layout.control != Control::kDrive1) {  // a drop-down list is as high as its font makes it
        EXPECT_EQ(place.bottom - place.top, window::TwipsToPixels(layout.height, dpi));
      }
      EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0, layout.tab_stop);
      // Label3's name is its text, the notice.
      EXPECT_EQ(AccessibleNameOf(control), platform::FromUtf8(layout.name.empty() ? tools::kNotice : layout.name));
      // A label lies beneath the controls its box reaches into, and is clipped by them.
      if (!IsLabel(layout)) continue;
      EXPECT_NE(GetWindowLongW(control, GWL_STYLE) & WS_CLIPSIBLINGS, 0);
      for (const window::ControlLayout& other : window::Form1Layout()) {
        const RECT other_place = Place(Get(other));
        RECT overlap;
        if (Get(other) == control || !IntersectRect(&overlap, &place, &other_place)) continue;
        const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
        EXPECT_EQ(ChildWindowFromPointEx(view_->hwnd(), inside, CWP_SKIPINVISIBLE), Get(other)) << TextOf(Get(other));
      }
    }
  }
  EXPECT_EQ(GetWindowLongW(view_->hwnd(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  // A control keeps its own copy of the name it is given.
  auto name = std::make_unique<std::string>("Folder for the report");
  SetAccessibleName(Get(Control::kText1), *name);
  name->assign(name->size(), '?');
  name.reset();
  EXPECT_EQ(AccessibleNameOf(Get(Control::kText1)), L"Folder for the report");
}

// Every text a control shows (a label's, a button's, a check box's) fits the
// room the control gives it, in the control's font, wrapped as labels wrap.
TEST_F(Win32WindowTest, EveryTextFitsItsControlAtTheWindowsDpi) {
  view_->SetText(Control::kLabel3, std::string(tools::kNotice));
  for (const int dpi : {96, 144}) {
    SetDpi(dpi);
    for (const window::ControlLayout& layout : window::Form1Layout()) {
      const HWND control = Get(layout);
      RECT room;
      GetClientRect(control, &room);
      // A check box's text starts past its box and a gap.
      if (layout.control == Control::kCheck1) room.left += GetSystemMetrics(SM_CXMENUCHECK) + 4;
      if (!IsLabel(layout)) InflateRect(&room, -2 * GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
      const std::wstring text = TextOf(control);
      RECT needed{0, 0, room.right - room.left, 0};
      const HDC dc = GetDC(control);
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
      DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
      ReleaseDC(control, dc);
      EXPECT_LE(needed.right, room.right - room.left) << dpi << " dpi: " << platform::ToUtf8(text);
      EXPECT_LE(needed.bottom, room.bottom - room.top) << dpi << " dpi: " << platform::ToUtf8(text);
    }
  }
}

TEST_F(Win32WindowTest, TabVisitsTheTabStopsInOrder) {
  ShowActive();
  tools::ExpectTabFollowsTabStops([&](const window::ControlLayout& row) { return Get(row); }, GetFocus,
                                  [&](HWND control) { Key(control, VK_TAB); });
}

TEST_F(Win32WindowTest, Dir1ShowsEveryRowAndADeepFolderWhole) {
  const HWND dir1 = Get(Control::kDir1);
  RECT client;
  GetClientRect(dir1, &client);
  ExpectDeepFolderShownWhole([&] {
    RECT name{};
    TreeView_GetItemRect(dir1, TreeView_GetSelection(dir1), &name, TRUE);
    // The row from its folder icon on.
    return tools::ShownRow{static_cast<int>(name.left) - GetSystemMetrics(SM_CXSMICON), static_cast<int>(name.right),
                           static_cast<int>(client.right)};
  });
  int visible = 0;
  for (HTREEITEM item = TreeView_GetRoot(dir1); item != nullptr; item = TreeView_GetNextVisible(dir1, item)) ++visible;
  EXPECT_EQ(visible, static_cast<int>(tools::DeepFolderRows().size()));
}

// Leaving Text1 counts as leaving it for a control only when the focus went
// to one: not when another window, such as one of the program's own message
// boxes, took it. The window active again lists the drives again.
TEST_F(Win32WindowTest, Text1IsLeftForAControlOnlyWhenTheFocusGoesToOne) {
  ShowActive();
  SetFocus(Get(Control::kText1));
  Key(Get(Control::kText1), VK_TAB);
  SetFocus(Get(Control::kText1));
  // Once the box has shown a while, OK closes it.
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    PostMessageW(FindWindowW(L"#32770", L"Groundstyles"), WM_COMMAND, IDOK, 0);
  });
  view_->ShowMessage("Drive not ready.");
  KillTimer(nullptr, timer);
  Pump();
  EXPECT_EQ(events_.Take(), (Events{"Text1_LostFocus control", "Text1_LostFocus elsewhere", "Drive1_Refresh"}));
}

// A click or Enter on a button clicks it, Enter opens a folder; a click on a
// check box only changes it.
TEST_F(Win32WindowTest, ButtonsAndKeysArePassedOn) {
  ShowActive();
  view_->SetChecked(3, true);
  PostClick(Get(Control::kCommand1));
  PostClick(Get(Control::kCheck1, 3));
  Pump();
  EXPECT_FALSE(view_->IsChecked(3));
  for (Control button : {Control::kCommand1, Control::kCommand2}) {
    SetFocus(Get(button));
    Key(Get(button), VK_RETURN);
  }
  SetFocus(Get(Control::kDir1));
  Key(Get(Control::kDir1), VK_DOWN);
  Key(Get(Control::kDir1), VK_RETURN);
  EXPECT_EQ(events_.Take(), (Events{"Command1_Click", "Command1_Click", "Command2_Click", "Dir1_Open 7"}));
}

// A drive chosen with the keyboard counts at once while Drive1 is closed;
// opened, it lists the drives again, and counts only the drive it closes on,
// not the program's filling it. A volume coming or going lists them again.
TEST_F(Win32WindowTest, Drive1CountsTheUsersChoiceOnly) {
  const HWND drive1 = Get(Control::kDrive1);
  ShowActive();
  SetFocus(drive1);
  Key(drive1, VK_DOWN);
  Key(drive1, VK_F4);
  Key(drive1, VK_DOWN);
  Key(drive1, VK_DOWN);
  Key(drive1, VK_RETURN);
  SendMessageW(view_->hwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  Pump();
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Change 1", "Drive1_Refresh", "Drive1_Change 3", "Drive1_Refresh"}));
}

// Files and folders dropped from Explorer: the first is passed on.
TEST_F(Win32WindowTest, AFolderDroppedOnTheWindowIsPassedOn) {
  EXPECT_NE(GetWindowLongW(view_->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  const HDROP drop = MakeDrop({L"C:\\Maps\\Caf\u00E9", L"C:\\Maps\\OWN.MAP"});
  PostMessageW(view_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  Pump();
  EXPECT_EQ(events_.Take(), Events{"Form1_DragDrop C:\\Maps\\Caf\xC3\xA9"});
}

// The user clicks, types, drops a folder, and presses F4 alone and Alt+F5;
// and clicks again as the work ends.
TEST_F(Win32WindowTest, InputIsDroppedWhileBusy) {
  ShowActive();
  const auto give_input = [&] {
    PostClick(Get(Control::kCheck1, 0));
    PostClick(Get(Control::kCommand1));
    PostMessageW(Get(Control::kText1), WM_CHAR, L'x', 0);
    PostMessageW(view_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\Maps"})), 0);
    PostMessageW(view_->hwnd(), WM_SYSKEYDOWN, VK_F4, 0);
    PostMessageW(view_->hwnd(), WM_SYSKEYDOWN, VK_F5, 1 << 29);
  };
  ExpectInputDroppedWhileBusy("C:\\reports", give_input, [&] { PostClick(Get(Control::kCheck1, 0)); });
  EXPECT_TRUE(IsWindow(view_->hwnd()));
}

// The program is asked to end while a scan runs: it ends once the scan is done.
TEST_F(Win32WindowTest, AQuitArrivingWhileBusyEndsTheProgramOnceTheWorkIsDone) {
  const DWORD window_thread = GetCurrentThreadId();
  view_->RunBusy(
      [window_thread] {
        PostThreadMessageW(window_thread, WM_QUIT, 7, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
      },
      [] {});
  EXPECT_EQ(RunFor(3000, [] {}), 7);  // -1: the program was still running
}

// The close box or the window menu's Close, Alt+F4, an end-task request,
// "End Program", and the session's end, during a scan; the scan has ended
// before the session's end is answered, as the system may end the program then.
TEST_F(Win32WindowTest, ClosingDuringAScanEndsTheProgramAtOnce) {
  const std::function<void()> closes[] = {
      [this] { PostMessageW(view_->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); },
      [this] { PostMessageW(view_->hwnd(), WM_SYSKEYDOWN, VK_F4, 1 << 29); },
      [this] { PostMessageW(view_->hwnd(), WM_CLOSE, 0, 0); },
      [this] { PostClick(Get(Control::kCommand2)); },
      [this] {
        EXPECT_EQ(SendMessageW(view_->hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
        SendMessageW(view_->hwnd(), WM_ENDSESSION, TRUE, 0);
        EXPECT_EQ(ReportsBesideTheEarlier(), 0);
      },
  };
  for (const std::function<void()>& close : closes) {
    SCOPED_TRACE(&close - closes);
    ExpectCloseMidScanEndsAtOnce([this](const std::function<void()>& tick) {
      PostClick(Get(Control::kCommand1));
      return RunFor(5000, tick);
    }, close);
  }
}

TEST_F(Win32WindowTest, ABurstOfFolderChangesIsPassedOnOnce) {
  view_->WatchFolder(temp_.path().native());
  int written = 0;
  const auto write_burst = [&] {
    if (written < 3) tools::WriteFile(temp_.path() / std::to_string(written++), "");
  };
  EXPECT_EQ(RunFor(1000, write_burst), -1);
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Refresh", "FolderChanged +0 +1 +2"}));
}

// File1 is a list box that holds no data: a big folder's names are kept
// once, and each row's text, drawn or asked for, is its own name.
TEST_F(Win32WindowTest, File1HoldsABigFoldersNames) {
  const HWND file1 = Get(Control::kFile1);
  EXPECT_NE(GetWindowLongW(file1, GWL_STYLE) & LBS_NODATA, 0);
  ExpectFile1HoldsManyNames({
      .count = [&] { return static_cast<std::size_t>(SendMessageW(file1, LB_GETCOUNT, 0, 0)); },
      .text =
          [&](std::size_t row) {
            std::wstring text(static_cast<std::size_t>(SendMessageW(file1, LB_GETTEXTLEN, row, 0)), L'\0');
            SendMessageW(file1, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
            return platform::ToUtf8(text);
          },
      .selected = [&] { return static_cast<int>(SendMessageW(file1, LB_GETCURSEL, 0, 0)); },
      .select =
          [&](std::size_t row) {
            SendMessageW(file1, LB_SETCURSEL, row, 0);
            SendMessageW(file1, LB_SETTOPINDEX, row, 0);
          },
      .top = [&] { return static_cast<std::size_t>(SendMessageW(file1, LB_GETTOPINDEX, 0, 0)); },
  });
}

TEST_F(Win32WindowTest, TheWindowAnswersWhileABigFolderIsListed) {
  ShowWindow(view_->hwnd(), SW_SHOW);
  ExpectAnswersWhileManyMapsAreListed(
      [](const std::function<void()>& work, const std::function<void()>& tick) {
        static std::function<void()> each;
        each = tick;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { each(); });
        work();
        KillTimer(nullptr, timer);
      },
      [&] { return static_cast<std::size_t>(SendMessageW(Get(Control::kFile1), LB_GETCOUNT, 0, 0)); });
}

TEST_F(Win32WindowTest, ClosingTheWindowEndsTheProgram) {
  const HWND file1 = Get(Control::kFile1);
  EXPECT_EQ(RunFor(5000, [&] { view_->Close(); }), 0);  // -1: the program was still running
  EXPECT_FALSE(IsWindow(file1));
}

}  // namespace
