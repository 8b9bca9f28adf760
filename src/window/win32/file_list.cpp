#include "file_list.h"

#include "platform/text.h"

void FileList::SetRows(HFONT font, int height, int margin) {
  font_ = font;
  height_ = height;
  margin_ = margin;
  SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, height_);
}

void FileList::Show(const std::vector<std::string>& names) {
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  SendMessageW(hwnd_, LB_INITSTORAGE, names.size(), names.size() * 32);
  for (const std::string& name : names) {
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::FromUtf8(name).c_str()));
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void FileList::Measure(MEASUREITEMSTRUCT& row) const { row.itemHeight = static_cast<UINT>(height_); }

void FileList::Draw(const DRAWITEMSTRUCT& row) const {
  if (row.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
    return;
  }
  const bool selected = (row.itemState & ODS_SELECTED) != 0;
  FillRect(row.hDC, &row.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const auto length = SendMessageW(hwnd_, LB_GETTEXTLEN, row.itemID, 0);
  if (length > 0) {
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, row.itemID, reinterpret_cast<LPARAM>(name.data()));
    const HGDIOBJ old_font = SelectObject(row.hDC, font_);
    SetBkMode(row.hDC, TRANSPARENT);
    SetTextColor(row.hDC, GetSysColor((row.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                                      : selected                         ? COLOR_HIGHLIGHTTEXT
                                                                         : COLOR_WINDOWTEXT));
    // DrawText draws with the font and the fonts the system links to it, as the other lists do.
    RECT text = row.rcItem;
    text.left += margin_;
    DrawTextW(row.hDC, name.c_str(), static_cast<int>(length), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(row.hDC, old_font);
  }
  if ((row.itemState & ODS_FOCUS) != 0) DrawFocusRect(row.hDC, &row.rcItem);
}
