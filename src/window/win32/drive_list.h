// Drive1 as the system's drop-down list: filled and selected by the program
// without a choice counting, and the rule for when the user's choice counts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "form1_events.h"

class DriveList {
 public:
  // Works on `combo_box`, a drop-down list.
  void Attach(HWND combo_box) { hwnd_ = combo_box; }
  HWND hwnd() const { return hwnd_; }

  // Fills the list with `names` and selects `selected` (none when it is past the end).
  void Fill(const std::vector<std::string>& names, std::size_t selected);
  // Selects entry `index` (none when it is past the end).
  void Select(std::size_t index);
  // Passes on what the list's notification `code` means. Opening the list
  // lists the drives again. A choice counts when it is made: at once from the
  // keyboard while the list is closed, and when the open list closes on it
  // (a click, Enter); never while the program fills the list.
  void OnCommand(int code, window::Form1Events& events);

 private:
  HWND hwnd_ = nullptr;
  bool filling_ = false;  // the list is being filled: its notifications are not the user's
};
