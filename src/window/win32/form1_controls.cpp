#include "form1_controls.h"

#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "accessible_name.h"
#include "platform/text.h"

namespace {

using window::Control;
using window::ControlLayout;

constexpr int kFirstControlId = 100;
// Drive1's drop-down list, below its field.
constexpr int kDropDownTwips = 3000;
// Above and below a name in the lists' rows: room for the accents of
// capitals and for glyphs drawn from a linked font with a higher ascent.
constexpr int kRowMarginTwips = 30;

// The class and styles of a control.
struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassOf(const ControlLayout& layout) {
  switch (layout.control) {
    case Control::kDrive1:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 0};
    case Control::kDir1:
      // A deep folder scrolls sideways; the root stays a scroll away.
      return {WC_TREEVIEWW, TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP, WS_EX_CLIENTEDGE};
    case Control::kFile1:
      // Drawn by the window from names it keeps (see FileList), so that each
      // sits in the middle of a row high enough for accents and for the
      // linked fonts of other scripts; the window finds the name typed.
      return {WC_LISTBOXW,
              LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_WANTKEYBOARDINPUT | WS_VSCROLL,
              WS_EX_CLIENTEDGE};
    case Control::kCommand1:
    case Control::kCommand2:
      return {WC_BUTTONW, BS_PUSHBUTTON, 0};
    case Control::kFrame1:
      return {WC_BUTTONW, BS_GROUPBOX, 0};
    case Control::kCheck1:
      return {WC_BUTTONW, BS_AUTOCHECKBOX, 0};
    case Control::kText1:
      return {WC_EDITW, ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Control::kLabel1:
    case Control::kLabel2:
    case Control::kLabel3:
      // Beneath every other control and clipped by them: a label's box may
      // reach into a control's, its text never paints over it.
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS, 0};
  }
  return {WC_STATICW, 0, 0};
}

DWORD StyleOf(const ControlLayout& layout) {
  // Each control starts a group of its own but the check boxes, one group,
  // so that the arrow keys move between them.
  const bool group = layout.control != Control::kCheck1 || layout.index == 0;
  return ClassOf(layout).style | (layout.tab_stop ? WS_TABSTOP : 0) | (group ? WS_GROUP : 0) | WS_CHILD | WS_VISIBLE;
}

// The controls that show names the system gives or the user types: drives,
// folders, files and the report folder, in any script.
bool ShowsNames(Control control) {
  return control == Control::kDrive1 || control == Control::kDir1 || control == Control::kFile1 ||
         control == Control::kText1;
}

bool IsLabel(Control control) {
  return control == Control::kLabel1 || control == Control::kLabel2 || control == Control::kLabel3;
}

std::size_t RowOf(Control control, int index) {
  const auto& table = window::Form1Layout();
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (table[row].control == control && table[row].index == index) return row;
  }
  throw std::logic_error("no such control");
}

// The window's font, for every control but Label3: the classic dialog face
// at the size the layout was measured for, scaled with the DPI, rather than
// the system's message font (larger on Windows 10 and 11, taller in East
// Asian languages). The captions keep it in any code page; the controls that
// show names may take a face of the code page's script where it has none.
constexpr std::string_view kWindowFontFamily = "Tahoma";
constexpr double kWindowFontPoints = 8;

// `charset` ANSI_CHARSET keeps the face whatever the system's code page
// (glyphs outside it come from the fonts the system links to it);
// DEFAULT_CHARSET lets the system take a face of its code page's script
// where the face has none.
HFONT MakeFont(std::string_view family, double points, int weight, BYTE charset, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(points * dpi / 72 + 0.5);
  font.lfWeight = weight;
  font.lfCharSet = charset;
  platform::FromUtf8(family).copy(font.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

// The system's small folder icon, open or closed.
HICON FolderIcon(bool open) {
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
  return SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) != 0 ? info.hIcon : nullptr;
}

}  // namespace

Form1Controls::~Form1Controls() {
  for (HFONT font : {window_font_, names_font_, notice_font_}) {
    if (font != nullptr) DeleteObject(font);
  }
  if (folder_icons_ != nullptr) ImageList_Destroy(folder_icons_);
}

void Form1Controls::Create(HWND window) {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)initialised;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto& table = window::Form1Layout();
  // Made in tab order: the dialog keys follow the order the controls were made in.
  for (std::size_t row = 0; row < table.size(); ++row) {
    const ControlLayout& layout = table[row];
    controls_[row] = CreateWindowExW(ClassOf(layout).ex_style, ClassOf(layout).name,
                                     platform::FromUtf8(layout.text).c_str(), StyleOf(layout), 0, 0, 0, 0, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id(row))), instance, nullptr);
  }
  drive1_.Attach(Get(Control::kDrive1));
  file1_.Attach(Get(Control::kFile1));
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (!table[row].name.empty()) SetAccessibleName(controls_[row], table[row].name);
    // The labels go beneath every other control.
    if (IsLabel(table[row].control)) {
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
    TreeView_SetImageList(Get(Control::kDir1), folder_icons_, TVSIL_NORMAL);
    // Each level one icon further in: a deep folder keeps the most of its name in view.
    TreeView_SetIndent(Get(Control::kDir1), GetSystemMetrics(SM_CXSMICON));
  }
}

void Form1Controls::LayOut(HWND window, UINT dpi) {
  dpi_ = dpi;
  const int width = Scale(window::kClientWidth);
  const int height = Scale(window::kClientHeight);
  RECT frame{0, 0, width, height};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), dpi_);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the frame is not what the system foretold (a caption that wraps, or a
  // system that draws the frame at another DPI), the client area is made right.
  RECT client;
  GetClientRect(window, &client);
  if (client.right != width || client.bottom != height) {
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                 frame.bottom - frame.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  MakeFonts();
  const auto& table = window::Form1Layout();
  const ControlLayout& frame1 = table[RowOf(Control::kFrame1, 0)];
  for (std::size_t row = 0; row < table.size(); ++row) {
    const ControlLayout& layout = table[row];
    // The check boxes are placed within Frame1, and drawn over it as its siblings.
    const bool in_frame = layout.control == Control::kCheck1;
    const int left = layout.left + (in_frame ? frame1.left : 0);
    const int top = layout.top + (in_frame ? frame1.top : 0);
    HFONT font = ShowsNames(layout.control) ? names_font_ : window_font_;
    if (layout.font == window::Font::kNotice) font = notice_font_;
    SendMessageW(controls_[row], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Drive1's field is as high as its font makes it; its list drops down below.
    const bool drop_down = layout.control == Control::kDrive1;
    MoveWindow(controls_[row], Scale(left), Scale(top), Scale(layout.width),
               Scale(layout.height) + (drop_down ? Scale(kDropDownTwips) : 0), FALSE);
  }

  SetRowHeights(window);
  InvalidateRect(window, nullptr, TRUE);
}

void Form1Controls::MakeFonts() {
  for (HFONT font : {window_font_, names_font_, notice_font_}) {
    if (font != nullptr) DeleteObject(font);
  }
  window_font_ = MakeFont(kWindowFontFamily, kWindowFontPoints, FW_NORMAL, ANSI_CHARSET, dpi_);
  names_font_ = MakeFont(kWindowFontFamily, kWindowFontPoints, FW_NORMAL, DEFAULT_CHARSET, dpi_);
  notice_font_ = MakeFont(window::kNoticeFontFamily, window::kNoticeFontPoints, window::kNoticeFontWeight, ANSI_CHARSET,
                          dpi_);
}

void Form1Controls::SetRowHeights(HWND window) {
  // The lists' rows: the font's whole height with its leading, and a margin.
  TEXTMETRICW font_metrics{};
  const HDC dc = GetDC(window);
  const HGDIOBJ old_font = SelectObject(dc, names_font_);
  GetTextMetricsW(dc, &font_metrics);
  SelectObject(dc, old_font);
  ReleaseDC(window, dc);
  const int row_height = font_metrics.tmHeight + font_metrics.tmExternalLeading + 2 * Scale(kRowMarginTwips);
  file1_.SetRows(names_font_, row_height, Scale(kRowMarginTwips));
  SendMessageW(Get(Control::kDrive1), CB_SETITEMHEIGHT, 0, row_height);
  TreeView_SetItemHeight(Get(Control::kDir1), std::max(row_height, GetSystemMetrics(SM_CYSMICON) + 2));
}

HWND Form1Controls::Get(Control control, int index) const { return controls_[RowOf(control, index)]; }

std::optional<std::size_t> Form1Controls::RowOfId(int id) const {
  if (id < kFirstControlId || id - kFirstControlId >= static_cast<int>(controls_.size())) return std::nullopt;
  return static_cast<std::size_t>(id - kFirstControlId);
}

int Form1Controls::Id(std::size_t row) const { return kFirstControlId + static_cast<int>(row); }

int Form1Controls::folder_icon_width() const {
  int width = 0;
  int height = 0;
  if (TreeView_GetImageList(Get(Control::kDir1), TVSIL_NORMAL) != nullptr) {
    ImageList_GetIconSize(folder_icons_, &width, &height);
  }
  return width;
}
