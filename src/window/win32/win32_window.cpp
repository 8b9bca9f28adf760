#include "win32_window.h"

#include <dbt.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

using window::Control;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kFolderTimer = 1;  // the watched folder has been quiet for kFolderChangeDelayMs

// Messages the window posts to itself, to act once the current one is done.
enum : UINT {
  kLeftText1 = WM_APP + 1,  // wparam: the FocusTarget
  kOpenFolder,              // wparam: the Dir1 row to open
  kRefreshDrives,
};

std::wstring Wide(const std::string& text) { return platform::FromUtf8(text); }
std::wstring Wide(std::string_view text) { return platform::FromUtf8(text); }

std::string WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return platform::ToUtf8(text);
}

}  // namespace

Win32Window::Win32Window() {
  Create(kStyle, kExStyle);
  // The controls' accessible objects and the taskbar button's progress are COM objects.
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  controls_.Create(hwnd());
  SetWindowSubclass(control(Control::kText1), Text1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  controls_.LayOut(hwnd(), GetDpiForWindow(hwnd()));
  focus_ = controls_.at(0);
  DragAcceptFiles(hwnd(), TRUE);  // folders and map files dropped from Explorer
}

Win32Window::~Win32Window() {
  Destroy();
  if (taskbar_ != nullptr) taskbar_->Release();
  if (com_) CoUninitialize();
}

void Win32Window::Load(window::Form1Events& events) {
  events_ = &events;
  events_->Form1_Load();
}

int Win32Window::Run() {
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  SetFocus(focus_);
  return RunMessages(folder_watch_.ready(), [this] { GatherFolderChanges(folder_watch_.Take()); });
}

void Win32Window::GatherFolderChanges(platform::FolderChanges changes) {
  if (changes.empty()) return;
  folder_changes_.Add(std::move(changes));
  SetTimer(hwnd(), kFolderTimer, window::kFolderChangeDelayMs, nullptr);
}

LRESULT CALLBACK Win32Window::Text1Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self) {
  if (message == WM_KILLFOCUS) {
    const HWND next = reinterpret_cast<HWND>(wparam);
    const HWND window = reinterpret_cast<Win32Window*>(self)->hwnd();
    const window::FocusTarget target = next != nullptr && IsChild(window, next) ? window::FocusTarget::kControl
                                                                                 : window::FocusTarget::kElsewhere;
    PostMessageW(window, kLeftText1, static_cast<WPARAM>(target), 0);
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

std::optional<LRESULT> Win32Window::OnFile1Message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MEASUREITEM:  // File1 is the one control the window draws
      controls_.file1().Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_DRAWITEM:
      if (reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->hwndItem != controls_.file1().hwnd()) break;
      controls_.file1().Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CHARTOITEM:
      if (reinterpret_cast<HWND>(lparam) != controls_.file1().hwnd()) break;
      return controls_.file1().CharToItem(static_cast<wchar_t>(LOWORD(wparam)), static_cast<short>(HIWORD(wparam)));
    default:
      break;
  }
  return std::nullopt;
}

std::optional<LRESULT> Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (const std::optional<LRESULT> result = OnFile1Message(message, wparam, lparam)) return result;
  switch (message) {
    case WM_COMMAND:
      if (events_ != nullptr) OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return events_ != nullptr ? OnNotify(*reinterpret_cast<const NMHDR*>(lparam)) : 0;
    case WM_TIMER:
      if (wparam == kFolderTimer) {
        KillTimer(hwnd(), kFolderTimer);
        events_->FolderChanged(std::exchange(folder_changes_, {}));
      }
      return 0;
    case kLeftText1:
      events_->Text1_LostFocus(static_cast<window::FocusTarget>(wparam));
      return 0;
    case kOpenFolder:
      events_->Dir1_Open(static_cast<std::size_t>(wparam));
      return 0;
    case kRefreshDrives:
      events_->Drive1_Refresh();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_DEVICECHANGE:
      // A volume or a drive's medium came or went.
      if (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) PostMessageW(hwnd(), kRefreshDrives, 0, 0);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd(), focus)) focus_ = focus;
      } else {
        PostMessageW(hwnd(), kRefreshDrives, 0, 0);  // volumes may have come or gone meanwhile
      }
      return 0;
    case WM_SETFOCUS:
      if (focus_ != nullptr) SetFocus(focus_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // the session's end is not held up, even by a scan
    case WM_ENDSESSION:
      if (wparam != FALSE) OnEndSession();
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      controls_.LayOut(hwnd(), HIWORD(wparam));
      return 0;
    }
    default:
      break;
  }
  return std::nullopt;
}

void Win32Window::OnEndSession() {
  // The system may end the program as soon as this message has been
  // answered, with no regard for a scan still writing: the scan is asked to
  // stop, which it does between maps, and waited for, so that it has removed
  // its unfinished file and left the earlier report as it was.
  if (!busy()) return;
  events_->Form1_QueryUnload();
  WaitForWork();
}

bool Win32Window::PassesWhileBusy(const MSG& message) const {
  // "End Program" takes a click, and Space or Enter while it has the focus.
  if (message.hwnd != control(Control::kCommand2)) return false;
  switch (message.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      return message.wParam == VK_SPACE || message.wParam == VK_RETURN;
    default:
      return false;
  }
}

void Win32Window::OnCommand(int id, int code) {
  if (id == IDOK) {
    // Enter, as the dialog keys report it: it acts on the control that has the focus.
    const HWND focus = GetFocus();
    if (focus == control(Control::kDir1)) {
      OpenSelectedFolder();
    } else if (focus == control(Control::kCommand1)) {
      events_->Command1_Click();
    } else if (focus == control(Control::kCommand2)) {
      events_->Command2_Click();
    }
    return;
  }
  const std::optional<std::size_t> row = controls_.RowOfId(id);
  if (!row) return;
  switch (window::Form1Layout()[*row].control) {
    case Control::kCommand1:
      if (code == BN_CLICKED) events_->Command1_Click();
      break;
    case Control::kCommand2:
      if (code == BN_CLICKED) events_->Command2_Click();
      break;
    case Control::kDrive1:
      controls_.drive1().OnCommand(code, *events_);
      break;
    default:
      break;
  }
}

LRESULT Win32Window::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != control(Control::kDir1)) return 0;
  switch (header.code) {
    case TVN_ITEMEXPANDINGW:
      // The folders on the way down stay open.
      return reinterpret_cast<const NMTREEVIEWW&>(header).action == TVE_COLLAPSE ? TRUE : FALSE;
    case NM_DBLCLK:
      OpenSelectedFolder();
      return TRUE;
    default:
      return 0;
  }
}

void Win32Window::OpenSelectedFolder() {
  const HWND dir1 = control(Control::kDir1);
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = TreeView_GetSelection(dir1);
  if (item.hItem == nullptr || !TreeView_GetItem(dir1, &item)) return;
  // After the current message: opening the folder fills the tree again.
  PostMessageW(hwnd(), kOpenFolder, static_cast<WPARAM>(item.lParam), 0);
}

void Win32Window::OnDropFiles(HDROP drop) {
  // Dropped while the window is busy, as other input is.
  std::wstring path;
  if (events_ != nullptr && !busy()) {
    path.resize(DragQueryFileW(drop, 0, nullptr, 0));
    path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size() + 1)));
  }
  DragFinish(drop);
  if (!path.empty()) events_->Form1_DragDrop(path);
}

void Win32Window::SetTitle(const std::string& text) { SetWindowTextW(hwnd(), Wide(text).c_str()); }

void Win32Window::SetText(Control which, const std::string& text) {
  SetWindowTextW(control(which == Control::kText1 ? Control::kText1 : Control::kLabel3), Wide(text).c_str());
}

std::string Win32Window::Text1Text() const { return WindowText(control(Control::kText1)); }

std::string Win32Window::CheckCaption(int code) const { return WindowText(control(Control::kCheck1, code)); }

bool Win32Window::IsChecked(int code) const {
  return SendMessageW(control(Control::kCheck1, code), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void Win32Window::SetChecked(int code, bool checked) {
  SendMessageW(control(Control::kCheck1, code), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Window::ShowDrives(const std::vector<std::string>& names, std::size_t selected) {
  controls_.drive1().Fill(names, selected);
}

void Win32Window::SelectDrive(std::size_t index) { controls_.drive1().Select(index); }

void Win32Window::ShowFolders(const std::vector<window::FolderRow>& rows, std::size_t current) {
  const HWND dir1 = control(Control::kDir1);
  SendMessageW(dir1, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(dir1);
  dir1_rows_.clear();
  std::vector<HTREEITEM> parents;  // the open row at each depth
  for (const window::FolderRow& row : rows) {
    parents.resize(static_cast<std::size_t>(row.depth));
    const std::wstring text = Wide(row.text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parents.empty() ? TVI_ROOT : parents.back();
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(dir1_rows_.size());
    insert.item.iImage = insert.item.iSelectedImage = row.open ? 0 : 1;
    const HTREEITEM item = TreeView_InsertItem(dir1, &insert);
    dir1_rows_.push_back(item);
    parents.push_back(item);
  }
  for (const HTREEITEM item : dir1_rows_) TreeView_Expand(dir1, item, TVE_EXPAND);
  SendMessageW(dir1, WM_SETREDRAW, TRUE, 0);
  SelectFolder(current);
}

void Win32Window::SelectFolder(std::size_t row) {
  if (row >= dir1_rows_.size()) return;
  const HWND dir1 = control(Control::kDir1);
  const HTREEITEM item = dir1_rows_[row];
  TreeView_SelectItem(dir1, item);
  TreeView_EnsureVisible(dir1, item);
  // Sideways, as Dir1ScrollShift says, the row from its icon to its name's end.
  RECT name;
  RECT client;
  if (!TreeView_GetItemRect(dir1, item, &name, TRUE) || !GetClientRect(dir1, &client)) return;
  const int shift = window::Dir1ScrollShift(static_cast<int>(name.left) - controls_.folder_icon_width(),
                                            static_cast<int>(name.right), static_cast<int>(client.right));
  if (shift == 0) return;
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_POS;
  GetScrollInfo(dir1, SB_HORZ, &scroll);
  SendMessageW(dir1, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.nPos + shift), 0);
}

void Win32Window::ShowFiles(std::vector<std::string> names) { controls_.file1().Show(std::move(names)); }

void Win32Window::InsertFile(std::size_t row, const std::string& name) { controls_.file1().Insert(row, name); }

void Win32Window::RemoveFile(std::size_t row) { controls_.file1().Remove(row); }

void Win32Window::WatchFolder(const platform::NativeString& folder) {
  KillTimer(hwnd(), kFolderTimer);
  folder_changes_ = {};
  folder_watch_.Watch(folder);
}

void Win32Window::ShowMessage(const std::string& text) {
  MessageBoxW(hwnd(), Wide(text).c_str(), Wide(window::kMessageCaption).c_str(), MB_OK);
}

void Win32Window::RunBusy(const std::function<void()>& work, const std::function<void()>& tick) {
  RunBeside(work, tick, window::kTickMs);
}

void Win32Window::ShowProgress(window::Progress state, double fraction) {
  if (taskbar_ == nullptr && state != window::Progress::kHidden) {
    void* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &taskbar))) return;
    taskbar_ = static_cast<ITaskbarList3*>(taskbar);
    if (FAILED(taskbar_->HrInit())) {
      taskbar_->Release();
      taskbar_ = nullptr;
      return;
    }
  }
  if (taskbar_ == nullptr) return;
  constexpr ULONGLONG kSteps = 1000;
  switch (state) {
    case window::Progress::kHidden:
      taskbar_->SetProgressState(hwnd(), TBPF_NOPROGRESS);
      break;
    case window::Progress::kRunning:
    case window::Progress::kFailed:
      taskbar_->SetProgressState(hwnd(), state == window::Progress::kFailed ? TBPF_ERROR : TBPF_NORMAL);
      taskbar_->SetProgressValue(hwnd(), static_cast<ULONGLONG>(fraction * kSteps), kSteps);
      break;
  }
}

void Win32Window::Close() {
  if (hwnd() != nullptr) DestroyWindow(hwnd());  // WM_DESTROY ends the loop
}
