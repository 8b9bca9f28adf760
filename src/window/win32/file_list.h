// File1 as an owner-drawn list box that holds no data of its own: the names
// are kept here, once, and each row draws its own, so that a folder of
// 100,000 maps costs the list box no item each. Each name sits in the middle
// of a row high enough for accents and for the linked fonts of other scripts,
// in the system's colours, with the focus shown as the system's lists show
// it; typing a name's first letters moves to it, and the list box answers for
// each row's text, as screen readers ask it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class FileList {
 public:
  // Works on `list_box`, made LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_WANTKEYBOARDINPUT.
  void Attach(HWND list_box);
  HWND hwnd() const { return hwnd_; }

  // Rows `height` pixels high, each name in `font` (which must outlive its
  // use here) `margin` pixels from the row's left edge.
  void SetRows(HFONT font, int height, int margin);
  // Fills the list with `names`, in their order.
  void Show(std::vector<std::string> names);
  // Inserts `name` as row `row`, or removes row `row`: the row selected and
  // the rows in view keep their names.
  void Insert(std::size_t row, const std::string& name);
  void Remove(std::size_t row);
  // Answer WM_MEASUREITEM and WM_DRAWITEM for the list.
  void Measure(MEASUREITEMSTRUCT& row) const;
  void Draw(const DRAWITEMSTRUCT& row) const;
  // Answers WM_CHARTOITEM for `typed`, the list's current row being `current`:
  // the row to move to, or -2 for none. A letter typed again and again steps
  // through the names it starts; letters typed in quick succession find the
  // first name from the current row on that starts with them all.
  LRESULT CharToItem(wchar_t typed, int current);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR self);
  // The list box holds names_.size() rows, `selected` selected (-1: none),
  // `top` the top row and `current` the row with the focus frame.
  void SetCount(int selected, int top, int current);
  std::wstring Name(std::size_t row) const;

  HWND hwnd_ = nullptr;
  std::vector<std::string> names_;  // UTF-8, as Form1 gives them
  HFONT font_ = nullptr;
  int height_ = 16;
  int margin_ = 0;
  std::wstring typed_;  // the letters typed in quick succession
  DWORD typed_at_ = 0;
};
