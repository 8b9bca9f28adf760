// Form1's controls as the system's own: made from the layout table, in tab
// order, and placed with their fonts at the window's DPI.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>

#include <commctrl.h>

#include "drive_list.h"
#include "file_list.h"
#include "layout.h"

class Form1Controls {
 public:
  Form1Controls() = default;
  Form1Controls(const Form1Controls&) = delete;
  Form1Controls& operator=(const Form1Controls&) = delete;
  ~Form1Controls();

  // Makes every control of the layout table as a child of `window`.
  void Create(HWND window);
  // Sizes `window` to the layout's client area and places every control and
  // sets the fonts at `dpi`.
  void LayOut(HWND window, UINT dpi);

  // The control of a layout row: `index` is the terrain code for Check1.
  HWND Get(window::Control control, int index = 0) const;
  // The layout row of the control whose id is `id`, or nothing.
  std::optional<std::size_t> RowOfId(int id) const;
  int Id(std::size_t row) const;
  HWND at(std::size_t row) const { return controls_[row]; }

  // `twips` in pixels at the DPI of the last LayOut.
  int Scale(int twips) const { return window::TwipsToPixels(twips, static_cast<int>(dpi_)); }
  DriveList& drive1() { return drive1_; }
  FileList& file1() { return file1_; }
  // The width of Dir1's folder icons, 0 when it has none.
  int folder_icon_width() const;

 private:
  // The window's, the names' and the notice's fonts at the DPI of the last LayOut.
  void MakeFonts();
  // The lists' rows as high as the window's font needs.
  void SetRowHeights(HWND window);

  std::array<HWND, window::kControlCount> controls_{};  // in layout order
  UINT dpi_ = 96;
  HFONT window_font_ = nullptr;  // the captions'
  HFONT names_font_ = nullptr;   // the lists' and Text1's
  HFONT notice_font_ = nullptr;
  HIMAGELIST folder_icons_ = nullptr;
  DriveList drive1_;
  FileList file1_;
};
