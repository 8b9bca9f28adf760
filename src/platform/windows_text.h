// Shared by the Windows platform files: the system's error texts, and keeping
// drive errors quiet.
#pragma once

#include <string>

#include "platform/text.h"

namespace platform::internal {

// The system's description of a Win32 error code, in UTF-8, without its line end.
std::string WindowsErrorText(unsigned long error);

// Keeps the system from showing "insert a disk" dialogs while it lives.
class QuietDriveErrors {
 public:
  QuietDriveErrors();
  ~QuietDriveErrors();
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  unsigned long previous_ = 0;
};

}  // namespace platform::internal
