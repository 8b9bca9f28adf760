// The Win32 window: its controls where the layout puts them at the window's
// DPI, what Form1 asks shown, and the user's keys and clicks, through the
// dialog keys, passed on as Form1's events.
#include "win32_window.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <dbt.h>

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
  if (FAILED(result)) return L"(no object: " + std::to_wstring(result) + L")";
  VARIANT self{};
  self.vt = VT_I4;  // lVal 0, CHILDID_SELF: the control itself
  BSTR name = nullptr;
  accessible->get_accName(self, &name);
  std::wstring text = name != nullptr ? name : L"";
  SysFreeString(name);
  accessible->Release();
  return text;
}

class Win32WindowTest : public tools::ViewTest<Win32Window> {
 protected:
  HWND Get(Control control, int index = 0) const { return view_->control(control, index); }
  // The control's place in the window's client area.
  RECT Place(HWND control) const {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, view_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // Handles what is queued now, as the program's loop does.
  void Pump() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) view_->Dispatch(message);
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

TEST_F(Win32WindowTest, ControlsFollowTheLayoutTableAtTheWindowsDpiAndDir1ShowsTheFolderWhole) {
  const HWND hwnd = view_->hwnd();
  const auto& table = window::Form1Layout();
  const window::ControlLayout& frame = table[6];
  ASSERT_EQ(frame.control, Control::kFrame1);
  view_->SetText(Control::kLabel3, "Notice");
  for (const int dpi : {96, 144}) {
    if (dpi != 96) {
      RECT suggested{0, 0, 800, 760};
      SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, window::TwipsToPixels(window::kClientWidth, dpi));
    EXPECT_EQ(client.bottom, window::TwipsToPixels(window::kClientHeight, dpi));
    for (const window::ControlLayout& layout : table) {
      const HWND control = Get(layout.control, layout.index);
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
      // Every control has its name from the table (Label3 its text, the notice).
      EXPECT_EQ(AccessibleNameOf(control), platform::FromUtf8(layout.name.empty() ? "Notice" : layout.name));
      // A label lies beneath the controls its box reaches into, and is clipped by them.
      if (layout.control != Control::kLabel1 && layout.control != Control::kLabel2 &&
          layout.control != Control::kLabel3) {
        continue;
      }
      EXPECT_NE(GetWindowLongW(control, GWL_STYLE) & WS_CLIPSIBLINGS, 0);
      for (const window::ControlLayout& other : table) {
        const HWND above = Get(other.control, other.index);
        const RECT other_place = Place(above);
        RECT overlap;
        if (above == control || !IntersectRect(&overlap, &place, &other_place)) continue;
        const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
        EXPECT_EQ(ChildWindowFromPointEx(hwnd, inside, CWP_SKIPINVISIBLE), above) << TextOf(above);
      }
    }
  }
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

  ShowWindow(hwnd, SW_SHOW);
  Pump();
  tools::ExpectTabFollowsTabStops([&](const window::ControlLayout& row) { return Get(row.control, row.index); },
                                  GetFocus, [&](HWND control) { Key(control, VK_TAB); });

  // Dir1 shows every row and the folder shown whole past its edge.
  const HWND dir1 = Get(Control::kDir1);
  RECT client;
  GetClientRect(dir1, &client);
  int icon = 0;
  int unused = 0;
  ImageList_GetIconSize(TreeView_GetImageList(dir1, TVSIL_NORMAL), &icon, &unused);
  ExpectDeepFolderShownWhole([&] {
    RECT name{};
    TreeView_GetItemRect(dir1, TreeView_GetSelection(dir1), &name, TRUE);
    return tools::ShownRow{static_cast<int>(name.left) - icon, static_cast<int>(name.right),
                           static_cast<int>(client.right)};
  });
  // Every row is shown, the subfolders too.
  int visible = 0;
  for (HTREEITEM item = TreeView_GetRoot(dir1); item != nullptr; item = TreeView_GetNextVisible(dir1, item)) ++visible;
  EXPECT_EQ(visible, static_cast<int>(tools::DeepFolderRows().size()));
}

TEST_F(Win32WindowTest, KeysClicksAndActivationArePassedOnAndDroppedWhileBusy) {
  Win32Window& w = *view_;
  w.ShowDrives({"C:", "D:", "E:", "F:"}, 0);
  w.ShowFolders(tools::DeepFolderRows(), tools::kDeepRow);
  ShowWindow(w.hwnd(), SW_SHOW);
  SetForegroundWindow(w.hwnd());
  Pump();
  EXPECT_EQ(events_.Take(), Events{"Drive1_Refresh"});  // volumes may have come or gone meanwhile

  // Leaving Text1 is passed on with where the focus went.
  SetFocus(Get(Control::kText1));
  Key(Get(Control::kText1), VK_TAB);
  SetFocus(Get(Control::kText1));
  SetFocus(nullptr);
  Pump();
  EXPECT_EQ(events_.Take(), (Events{"Text1_LostFocus control", "Text1_LostFocus elsewhere"}));

  // A click on a button, and Enter on the control that has the focus.
  w.SetChecked(3, true);
  PostClick(Get(Control::kCommand1));
  PostClick(Get(Control::kCheck1, 3));
  Pump();
  EXPECT_FALSE(w.IsChecked(3));
  for (Control button : {Control::kCommand1, Control::kCommand2}) {
    SetFocus(Get(button));
    Key(Get(button), VK_RETURN);
  }
  SetFocus(Get(Control::kDir1));
  Key(Get(Control::kDir1), VK_DOWN);
  Key(Get(Control::kDir1), VK_RETURN);
  EXPECT_EQ(events_.Take(), (Events{"Command1_Click", "Command1_Click", "Command2_Click", "Dir1_Open 7"}));

  // A drive chosen with the keyboard counts at once while Drive1 is closed;
  // opened, it lists the drives again, and counts only the drive it closes on.
  const HWND drive1 = Get(Control::kDrive1);
  SetFocus(drive1);
  Key(drive1, VK_DOWN);
  Key(drive1, VK_F4);
  ASSERT_TRUE(SendMessageW(drive1, CB_GETDROPPEDSTATE, 0, 0));
  Key(drive1, VK_DOWN);
  Key(drive1, VK_DOWN);
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Change 1", "Drive1_Refresh"}));
  Key(drive1, VK_RETURN);
  EXPECT_EQ(events_.Take(), Events{"Drive1_Change 3"});

  SendMessageW(w.hwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);  // a volume went
  Pump();
  EXPECT_EQ(events_.Take(), Events{"Drive1_Refresh"});

  // While busy, the window answers and drops input: the user clicks, types,
  // presses Alt+F4 and the close box and ends the program from outside; and
  // clicks again as the work ends.
  const auto give_input = [&] {
    PostClick(Get(Control::kCheck1, 0));
    PostClick(Get(Control::kCommand1));
    PostMessageW(Get(Control::kText1), WM_CHAR, L'x', 0);
    PostMessageW(w.hwnd(), WM_SYSKEYDOWN, VK_F4, 1 << 29);
    PostMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  };
  ExpectInputDroppedWhileBusy("C:\\reports", give_input, [&] { PostClick(Get(Control::kCheck1, 0)); });
  EXPECT_TRUE(IsWindow(w.hwnd()));
}

TEST_F(Win32WindowTest, RunPassesOnABurstOfFolderChangesOnceAndEndsWhenClosed) {
  view_->WatchFolder(temp_.path().native());
  int written = 0;
  const auto write_burst = [&] {
    if (written < 3) tools::WriteFile(temp_.path() / std::to_string(written++), "");
  };
  EXPECT_EQ(RunFor(1000, write_burst), -1);
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Refresh", "FolderChanged"}));
  EXPECT_EQ(GetFocus(), Get(Control::kDrive1));

  const HWND file1 = Get(Control::kFile1);
  EXPECT_EQ(RunFor(5000, [&] { view_->Close(); }), 0);  // -1: the program was still running
  EXPECT_FALSE(IsWindow(file1));
}

}  // namespace
