#include "file_list.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/text.h"

namespace {

// Letters typed further apart than this start a new name to look for.
constexpr DWORD kTypeAheadMs = 1000;

}  // namespace

void FileList::Attach(HWND list_box) {
  hwnd_ = list_box;
  SetWindowSubclass(hwnd_, Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK FileList::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR self) {
  const auto& list = *reinterpret_cast<const FileList*>(self);
  switch (message) {
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
      // The list box holds no text: each row's is the name kept here.
      if (wparam >= list.names_.size()) return LB_ERR;
      const std::wstring name = list.Name(wparam);
      if (message == LB_GETTEXT) std::copy_n(name.c_str(), name.size() + 1, reinterpret_cast<wchar_t*>(lparam));
      return static_cast<LRESULT>(name.size());
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, Proc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

void FileList::SetRows(HFONT font, int height, int margin) {
  font_ = font;
  height_ = height;
  margin_ = margin;
  SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, height_);
}

void FileList::Show(std::vector<std::string> names) {
  names_ = std::move(names);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  SetCount(-1, 0, 0);
}

void FileList::Insert(std::size_t row, const std::string& name) {
  const auto at = static_cast<int>(row);
  const auto selected = static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
  const auto top = static_cast<int>(SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0));
  const auto current = static_cast<int>(SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
  names_.insert(names_.begin() + at, name);
  SetCount(selected >= at ? selected + 1 : selected, top > at ? top + 1 : top, current >= at ? current + 1 : current);
}

void FileList::Remove(std::size_t row) {
  const auto at = static_cast<int>(row);
  const auto selected = static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
  const auto top = static_cast<int>(SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0));
  const auto current = static_cast<int>(SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
  names_.erase(names_.begin() + at);
  const int last = static_cast<int>(names_.size()) - 1;
  SetCount(selected == at ? -1 : selected > at ? selected - 1 : selected, top > at ? top - 1 : top,
           std::min(current > at ? current - 1 : current, last));
}

void FileList::SetCount(int selected, int top, int current) {
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_SETCOUNT, names_.size(), 0);
  SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  if (selected < 0 && current >= 0) SendMessageW(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(current), FALSE);
  SendMessageW(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(top, 0)), 0);
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::wstring FileList::Name(std::size_t row) const { return platform::FromUtf8(names_[row]); }

LRESULT FileList::CharToItem(wchar_t typed, int current) {
  if (typed < L' ' || names_.empty()) return -2;  // Tab, Enter and the like find nothing
  const DWORD now = GetTickCount();
  if (now - typed_at_ > kTypeAheadMs) typed_.clear();
  typed_at_ = now;
  typed_ += typed;
  // One letter again and again steps on from the current row; more look from it on.
  const bool stepping = std::all_of(typed_.begin(), typed_.end(), [typed](wchar_t c) { return c == typed; });
  const std::wstring sought = stepping ? std::wstring(1, typed) : typed_;
  const std::size_t count = names_.size();
  const std::size_t start = static_cast<std::size_t>(std::max(current, 0)) + (stepping ? 1 : 0);
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t row = (start + step) % count;
    const std::wstring name = Name(row);
    if (name.size() >= sought.size() &&
        CompareStringOrdinal(name.c_str(), static_cast<int>(sought.size()), sought.c_str(),
                             static_cast<int>(sought.size()), TRUE) == CSTR_EQUAL) {
      return static_cast<LRESULT>(row);
    }
  }
  return -2;
}

void FileList::Measure(MEASUREITEMSTRUCT& row) const { row.itemHeight = static_cast<UINT>(height_); }

void FileList::Draw(const DRAWITEMSTRUCT& row) const {
  if (row.itemID == static_cast<UINT>(-1) || row.itemID >= names_.size()) {  // an empty list with the focus
    if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
    return;
  }
  const bool selected = (row.itemState & ODS_SELECTED) != 0;
  FillRect(row.hDC, &row.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const std::wstring name = Name(row.itemID);
  if (!name.empty()) {
    const HGDIOBJ old_font = SelectObject(row.hDC, font_);
    SetBkMode(row.hDC, TRANSPARENT);
    SetTextColor(row.hDC, GetSysColor((row.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                                      : selected                         ? COLOR_HIGHLIGHTTEXT
                                                                         : COLOR_WINDOWTEXT));
    // DrawText draws with the font and the fonts the system links to it, as the other lists do.
    RECT text = row.rcItem;
    text.left += margin_;
    DrawTextW(row.hDC, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(row.hDC, old_font);
  }
  if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
}
