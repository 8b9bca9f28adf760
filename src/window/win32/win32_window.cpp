#include "win32_window.h"

#include "accessible_name.h"

#include <dbt.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace {

using window::Control;
using window::ControlLayout;

constexpr wchar_t kClassName[] = L"GroundstylesForm1";
constexpr int kFirstControlId = 100;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// Drive1's drop-down list, below its field.
constexpr int kDropDownTwips = 3000;
// Above and below a name in the lists' rows: room for the accents of
// capitals and for glyphs drawn from a linked font with a higher ascent.
constexpr int kRowMarginTwips = 30;
// A burst of changes in the watched folder is taken as one.
constexpr UINT kFolderTimer = 1;
constexpr UINT kFolderDelayMs = 150;

// Messages the window posts to itself, to act once the current one is done.
enum : UINT {
  kLeftText1 = WM_APP + 1,  // Text1 lost the focus to another control
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

// The class and styles of each kind of control.
struct Kind {
  const wchar_t* class_name;
  DWORD style;
  DWORD ex_style;
};

Kind KindOf(const ControlLayout& layout) {
  constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
  switch (layout.control) {
    case Control::kDrive1:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | kTab, 0};
    case Control::kDir1:
      // A deep folder scrolls sideways; the root stays a scroll away.
      return {WC_TREEVIEWW, TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | kTab, WS_EX_CLIENTEDGE};
    case Control::kFile1:
      // Drawn by the window, so that each name sits in the middle of a row
      // high enough for accents and for the linked fonts of other scripts.
      return {WC_LISTBOXW, LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL | kTab,
              WS_EX_CLIENTEDGE};
    case Control::kCommand1:
    case Control::kCommand2:
      return {WC_BUTTONW, BS_PUSHBUTTON | kTab, 0};
    case Control::kFrame1:
      return {WC_BUTTONW, BS_GROUPBOX | WS_GROUP, 0};
    case Control::kCheck1:
      // One group, so that the arrow keys move between the boxes.
      return {WC_BUTTONW, static_cast<DWORD>(BS_AUTOCHECKBOX | WS_TABSTOP | (layout.index == 0 ? WS_GROUP : 0)), 0};
    case Control::kText1:
      return {WC_EDITW, ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE};
    case Control::kLabel1:
    case Control::kLabel2:
    case Control::kLabel3:
      // Beneath every other control and clipped by them: a label's box may
      // reach into a control's, its text never paints over it.
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX | WS_GROUP | WS_CLIPSIBLINGS, 0};
  }
  return {WC_STATICW, 0, 0};
}

// Input the user gives the window or its controls; while a scan runs it is
// dropped. Clicks on the window's own frame stay, so that it can be moved and
// minimised; closing it is refused where the close arrives (WM_SYSCOMMAND).
bool IsUserInput(const MSG& message, HWND window) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) return true;
  if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) return true;
  return message.message >= WM_NCMOUSEMOVE && message.message <= WM_NCXBUTTONDBLCLK && message.hwnd != window;
}

std::size_t RowOf(Control control, int index) {
  const auto& table = window::Form1Layout();
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (table[row].control == control && table[row].index == index) return row;
  }
  throw std::logic_error("no such control");
}

int Scale(int twips, UINT dpi) { return window::TwipsToPixels(twips, static_cast<int>(dpi)); }

// The system's small folder icon, open or closed.
HICON FolderIcon(bool open) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
  return SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) != 0 ? info.hIcon : nullptr;
}

}  // namespace

Win32Window::Win32Window(std::unique_ptr<platform::DriveSource> drives, const platform::ReportFileCalls& report_calls)
    : form_(*this, std::move(drives), report_calls) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  static const ATOM registered = [instance] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kClassName;
    window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return RegisterClassExW(&window_class);
  }();
  if (registered == 0) throw std::runtime_error("cannot register the window class");

  hwnd_ = CreateWindowExW(kExStyle, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                          instance, this);
  if (hwnd_ == nullptr) throw std::runtime_error("cannot create the window");
  // The controls' accessible objects and the taskbar button's progress are COM objects.
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  dpi_ = GetDpiForWindow(hwnd_);
  CreateControls();
  LayOut();
  form_.Form1_Load();
  focus_ = ControlAt(0);
}

Win32Window::~Win32Window() {
  if (folder_change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folder_change_);
  if (hwnd_ != nullptr) {
    // Destroyed with the object, not closed by the user: no WM_QUIT.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  for (HFONT font : {window_font_, notice_font_}) {
    if (font != nullptr) DeleteObject(font);
  }
  if (folder_icons_ != nullptr) ImageList_Destroy(folder_icons_);
  if (taskbar_ != nullptr) taskbar_->Release();
  if (com_) CoUninitialize();
}

void Win32Window::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto& table = window::Form1Layout();
  // Made in tab order: the dialog keys follow the order the controls were made in.
  for (std::size_t row = 0; row < table.size(); ++row) {
    const Kind kind = KindOf(table[row]);
    controls_[row] = CreateWindowExW(kind.ex_style, kind.class_name, Wide(table[row].text).c_str(),
                                     kind.style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + row)), instance,
                                     nullptr);
  }
  SetWindowSubclass(control(Control::kText1), Text1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (!table[row].name.empty()) {
      SetAccessibleName(controls_[row], table[row].name);
    }
    // The labels go beneath every other control. They are no tab stops, and
    // the groups their WS_GROUP ended now end at the next control's.
    const Control kind = table[row].control;
    if (kind == Control::kLabel1 || kind == Control::kLabel2 || kind == Control::kLabel3) {
      SetWindowPos(controls_[row], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }

  folder_icons_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                   ILC_COLOR32 | ILC_MASK, 2, 0);
  for (bool open : {true, false}) {  // image 0 open, 1 closed
    if (HICON icon = FolderIcon(open)) {
      ImageList_AddIcon(folder_icons_, icon);
      DestroyIcon(icon);
    }
  }
  if (ImageList_GetImageCount(folder_icons_) == 2) {
    TreeView_SetImageList(control(Control::kDir1), folder_icons_, TVSIL_NORMAL);
    // Each level one icon further in: a deep folder keeps the most of its name in view.
    TreeView_SetIndent(control(Control::kDir1), GetSystemMetrics(SM_CXSMICON));
  }
}

void Win32Window::LayOut() {
  const int width = Scale(window::kClientWidth, dpi_);
  const int height = Scale(window::kClientHeight, dpi_);
  RECT frame{0, 0, width, height};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the frame is not what the system foretold (a caption that wraps, or a
  // system that draws the frame at another DPI), the client area is made right.
  RECT client;
  GetClientRect(hwnd_, &client);
  if (client.right != width || client.bottom != height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                 frame.bottom - frame.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  for (HFONT font : {window_font_, notice_font_}) {
    if (font != nullptr) DeleteObject(font);
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_);
  window_font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  LOGFONTW notice{};
  notice.lfHeight = -static_cast<LONG>(window::kNoticeFontPoints * dpi_ / 72 + 0.5);
  notice.lfWeight = window::kNoticeFontWeight;
  notice.lfCharSet = DEFAULT_CHARSET;
  const std::wstring family = Wide(window::kNoticeFontFamily);
  family.copy(notice.lfFaceName, LF_FACESIZE - 1);
  notice_font_ = CreateFontIndirectW(&notice);

  const auto& table = window::Form1Layout();
  const ControlLayout& frame1 = table[RowOf(Control::kFrame1, 0)];
  for (std::size_t row = 0; row < table.size(); ++row) {
    const ControlLayout& layout = table[row];
    // The check boxes are placed within Frame1, and drawn over it as its siblings.
    const bool in_frame = layout.control == Control::kCheck1;
    const int left = layout.left + (in_frame ? frame1.left : 0);
    const int top = layout.top + (in_frame ? frame1.top : 0);
    const int control_height = Scale(layout.height, dpi_);
    const HWND control = ControlAt(row);
    const HFONT font = layout.font == window::Font::kNotice ? notice_font_ : window_font_;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Drive1's field is as high as its font makes it; its list drops down below.
    const bool drop_down = layout.control == Control::kDrive1;
    MoveWindow(control, Scale(left, dpi_), Scale(top, dpi_), Scale(layout.width, dpi_),
               control_height + (drop_down ? Scale(kDropDownTwips, dpi_) : 0), FALSE);
  }

  // The lists' rows: the font's whole height with its leading, and a margin.
  TEXTMETRICW metrics_of_font{};
  const HDC dc = GetDC(hwnd_);
  const HGDIOBJ old_font = SelectObject(dc, window_font_);
  GetTextMetricsW(dc, &metrics_of_font);
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);
  row_height_ = metrics_of_font.tmHeight + metrics_of_font.tmExternalLeading + 2 * Scale(kRowMarginTwips, dpi_);
  SendMessageW(control(Control::kFile1), LB_SETITEMHEIGHT, 0, row_height_);
  SendMessageW(control(Control::kDrive1), CB_SETITEMHEIGHT, 0, row_height_);
  TreeView_SetItemHeight(control(Control::kDir1), std::max(row_height_, GetSystemMetrics(SM_CYSMICON) + 2));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HWND Win32Window::control(Control which, int index) const { return ControlAt(RowOf(which, index)); }

int Win32Window::Run() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(focus_);
  for (;;) {
    // Wait for a message or for a change in the watched folder.
    const DWORD handles = folder_change_ == INVALID_HANDLE_VALUE ? 0 : 1;
    const DWORD woke = MsgWaitForMultipleObjectsEx(handles, &folder_change_, INFINITE, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
    if (handles == 1 && woke == WAIT_OBJECT_0) {
      FindNextChangeNotification(folder_change_);
      SetTimer(hwnd_, kFolderTimer, kFolderDelayMs, nullptr);
      continue;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!Dispatch(message)) return static_cast<int>(message.wParam);
    }
  }
}

bool Win32Window::Dispatch(MSG& message) {
  if (message.message == WM_QUIT) return false;
  if (hwnd_ == nullptr || !IsDialogMessageW(hwnd_, &message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (const std::optional<LRESULT> result = self->OnMessage(message, wparam, lparam)) return *result;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK Win32Window::Text1Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self) {
  if (message == WM_KILLFOCUS) {
    // Leaving the field means giving the focus to another control of the
    // window: not the window losing activation, nor a message box opening.
    const HWND next = reinterpret_cast<HWND>(wparam);
    const HWND window = reinterpret_cast<Win32Window*>(self)->hwnd_;
    if (next != nullptr && IsChild(window, next)) PostMessageW(window, kLeftText1, 0, 0);
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

std::optional<LRESULT> Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = static_cast<UINT>(row_height_);
      return TRUE;
    case WM_DRAWITEM:
      if (reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->hwndItem != control(Control::kFile1)) break;
      DrawFile1Row(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_TIMER:
      if (wparam == kFolderTimer) {
        KillTimer(hwnd_, kFolderTimer);
        form_.FolderChanged();
      }
      return 0;
    case kLeftText1:
      form_.ReportFolderWarning();
      return 0;
    case kOpenFolder:
      form_.Dir1_Open(static_cast<std::size_t>(wparam));
      return 0;
    case kRefreshDrives:
      form_.Drive1_Refresh();
      return 0;
    case WM_DEVICECHANGE:
      // A volume or a drive's medium came or went.
      if (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) PostMessageW(hwnd_, kRefreshDrives, 0, 0);
      return TRUE;
    case WM_CLOSE:
      if (busy_) return 0;  // "End Program" from outside waits for no scan: it is dropped
      break;
    case WM_SYSCOMMAND:
      // The close box, Alt+F4 and the system menu's Close, while a scan runs.
      if (busy_ && (wparam & 0xFFF0) == SC_CLOSE) return 0;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      } else {
        PostMessageW(hwnd_, kRefreshDrives, 0, 0);  // volumes may have come or gone meanwhile
      }
      return 0;
    case WM_SETFOCUS:
      if (focus_ != nullptr) SetFocus(focus_);
      return 0;
    case WM_SETCURSOR:
      if (!busy_) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut();
      return 0;
    }
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return std::nullopt;
}

void Win32Window::OnCommand(int id, int code) {
  if (id == IDOK) {
    // Enter, as the dialog keys report it: it acts on the control that has the focus.
    const HWND focus = GetFocus();
    if (focus == control(Control::kDir1)) {
      OpenSelectedFolder();
    } else if (focus == control(Control::kCommand1)) {
      form_.Command1_Click();
    } else if (focus == control(Control::kCommand2)) {
      form_.Command2_Click();
    }
    return;
  }
  const std::size_t row = static_cast<std::size_t>(id - kFirstControlId);
  if (id < kFirstControlId || row >= controls_.size()) return;
  switch (window::Form1Layout()[row].control) {
    case Control::kCommand1:
      if (code == BN_CLICKED) form_.Command1_Click();
      break;
    case Control::kCommand2:
      if (code == BN_CLICKED) form_.Command2_Click();
      break;
    case Control::kDrive1: {
      // The choice counts when it is made: at once from the keyboard, when the list closes with the mouse.
      const HWND drive1 = ControlAt(row);
      const bool open = SendMessageW(drive1, CB_GETDROPPEDSTATE, 0, 0) != 0;
      if (code == CBN_DROPDOWN) {
        form_.Drive1_Refresh();
      } else if (!filling_ && ((code == CBN_SELCHANGE && !open) || (code == CBN_SELENDOK && open))) {
        const LRESULT index = SendMessageW(drive1, CB_GETCURSEL, 0, 0);
        if (index >= 0) form_.Drive1_Change(static_cast<std::size_t>(index));
      }
      break;
    }
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
  PostMessageW(hwnd_, kOpenFolder, static_cast<WPARAM>(item.lParam), 0);
}

void Win32Window::SetTitle(const std::string& text) { SetWindowTextW(hwnd_, Wide(text).c_str()); }

void Win32Window::SetText(Control which, const std::string& text) {
  SetWindowTextW(control(which), Wide(text).c_str());
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
  const HWND drive1 = control(Control::kDrive1);
  filling_ = true;
  SendMessageW(drive1, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(drive1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  }
  filling_ = false;
  SelectDrive(selected);
}

void Win32Window::SelectDrive(std::size_t index) {
  const HWND drive1 = control(Control::kDrive1);
  const auto count = static_cast<std::size_t>(SendMessageW(drive1, CB_GETCOUNT, 0, 0));
  SendMessageW(drive1, CB_SETCURSEL, index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

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
  // Sideways: the whole row in view, its name's end at the right edge; a name
  // longer than the tree is wide shows from its icon on.
  RECT name;
  RECT client;
  if (!TreeView_GetItemRect(dir1, item, &name, TRUE) || !GetClientRect(dir1, &client)) return;
  int icon_width = 0;
  int icon_height = 0;
  if (TreeView_GetImageList(dir1, TVSIL_NORMAL) != nullptr) {
    ImageList_GetIconSize(folder_icons_, &icon_width, &icon_height);
  }
  const int row_left = static_cast<int>(name.left) - icon_width;
  const int past_edge = static_cast<int>(name.right - client.right);
  const int shift = past_edge > 0 ? std::min(past_edge, row_left) : std::min(row_left, 0);
  if (shift == 0) return;
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_POS;
  GetScrollInfo(dir1, SB_HORZ, &scroll);
  SendMessageW(dir1, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.nPos + shift), 0);
}

void Win32Window::DrawFile1Row(const DRAWITEMSTRUCT& row) {
  if (row.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
    return;
  }
  const bool selected = (row.itemState & ODS_SELECTED) != 0;
  FillRect(row.hDC, &row.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const auto length = SendMessageW(row.hwndItem, LB_GETTEXTLEN, row.itemID, 0);
  if (length > 0) {
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(row.hwndItem, LB_GETTEXT, row.itemID, reinterpret_cast<LPARAM>(name.data()));
    const HGDIOBJ old_font = SelectObject(row.hDC, window_font_);
    SetBkMode(row.hDC, TRANSPARENT);
    SetTextColor(row.hDC, GetSysColor((row.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                                      : selected                         ? COLOR_HIGHLIGHTTEXT
                                                                         : COLOR_WINDOWTEXT));
    // DrawText draws with the font and the fonts the system links to it, as the other lists do.
    RECT text = row.rcItem;
    text.left += Scale(kRowMarginTwips, dpi_);
    DrawTextW(row.hDC, name.c_str(), static_cast<int>(length), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(row.hDC, old_font);
  }
  if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
}

void Win32Window::ShowFiles(const std::vector<std::string>& names) {
  const HWND file1 = control(Control::kFile1);
  SendMessageW(file1, WM_SETREDRAW, FALSE, 0);
  SendMessageW(file1, LB_RESETCONTENT, 0, 0);
  SendMessageW(file1, LB_INITSTORAGE, names.size(), names.size() * 32);
  for (const std::string& name : names) {
    SendMessageW(file1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  }
  SendMessageW(file1, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(file1, nullptr, TRUE);
}

void Win32Window::WatchFolder(const platform::NativeString& folder) {
  if (folder_change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folder_change_);
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  folder_change_ = FindFirstChangeNotificationW(folder.c_str(), FALSE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
  SetErrorMode(previous);
}

void Win32Window::ShowMessage(const std::string& text) {
  MessageBoxW(hwnd_, Wide(text).c_str(), Wide(window::kMessageCaption).c_str(), MB_OK);
}

void Win32Window::RunBusy(const std::function<void()>& work, const std::function<void()>& tick) {
  busy_ = true;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) throw std::runtime_error("cannot create an event");
  std::thread worker([&] {
    work();
    SetEvent(done);
  });
  // The window's messages go on while the work runs: it repaints, moves and
  // answers; the user's input is taken out and dropped.
  bool quit = false;
  WPARAM quit_code = 0;
  DWORD last_tick = GetTickCount();
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &done, window::kTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;  // for the loop outside, once the work is done
        quit_code = message.wParam;
        continue;
      }
      if (IsUserInput(message, hwnd_)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (GetTickCount() - last_tick >= static_cast<DWORD>(window::kTickMs)) {
      last_tick = GetTickCount();
      tick();
    }
  }
  worker.join();
  CloseHandle(done);
  // What the user gave in the last moments waits in the queue: dropped too.
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
         PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  busy_ = false;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
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
      taskbar_->SetProgressState(hwnd_, TBPF_NOPROGRESS);
      break;
    case window::Progress::kRunning:
    case window::Progress::kFailed:
      taskbar_->SetProgressState(hwnd_, state == window::Progress::kFailed ? TBPF_ERROR : TBPF_NORMAL);
      taskbar_->SetProgressValue(hwnd_, static_cast<ULONGLONG>(fraction * kSteps), kSteps);
      break;
  }
}

void Win32Window::Close() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}
