#include <algorithm>

#include "platform/platform.h"

namespace platform {

Status FileError(std::string_view verb, const NativeString& path, std::string_view reason) {
  // Control characters in a name would break the message's line; show them as '?'.
  std::string shown = ToUtf8(AbsolutePath(path));
  std::replace_if(
      shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
  std::string message = "cannot ";
  message += verb;
  message += " \"";
  message += shown;
  message += "\": ";
  message += reason;
  return Status::Error(std::move(message));
}

}  // namespace platform
