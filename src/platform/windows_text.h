// Text conversions and system error texts shared by the Windows platform files.
#pragma once

#include <string>

#include "platform/platform.h"

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
