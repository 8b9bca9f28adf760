// File1 as an owner-drawn list box: each name in the middle of a row high
// enough for accents and for the linked fonts of other scripts, in the
// system's colours, with the focus shown as the system's lists show it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class FileList {
 public:
  // Works on `list_box`, made LBS_OWNERDRAWFIXED | LBS_HASSTRINGS.
  void Attach(HWND list_box) { hwnd_ = list_box; }
  HWND hwnd() const { return hwnd_; }

  // Rows `height` pixels high, each name in `font` (which must outlive its
  // use here) `margin` pixels from the row's left edge.
  void SetRows(HFONT font, int height, int margin);
  // Fills the list with `names`, in their order.
  void Show(const std::vector<std::string>& names);
  // Answer WM_MEASUREITEM and WM_DRAWITEM for the list.
  void Measure(MEASUREITEMSTRUCT& row) const;
  void Draw(const DRAWITEMSTRUCT& row) const;

 private:
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int height_ = 16;
  int margin_ = 0;
};
