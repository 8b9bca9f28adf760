#include "drive_list.h"

#include "platform/text.h"

void DriveList::Fill(const std::vector<std::string>& names, std::size_t selected) {
  filling_ = true;
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::FromUtf8(name).c_str()));
  }
  filling_ = false;
  Select(selected);
}

void DriveList::Select(std::size_t index) {
  const auto count = static_cast<std::size_t>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
  SendMessageW(hwnd_, CB_SETCURSEL, index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

void DriveList::OnCommand(int code, window::Form1Events& events) {
  if (code == CBN_DROPDOWN) {
    events.Drive1_Refresh();
    return;
  }
  if (filling_) return;
  const bool open = SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0;
  if ((code == CBN_SELCHANGE && !open) || (code == CBN_SELENDOK && open)) {
    const LRESULT index = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    if (index >= 0) events.Drive1_Change(static_cast<std::size_t>(index));
  }
}
