#include "platform/file_error.h"

#include "platform/paths.h"

namespace platform {

Status FileError(std::string_view verb, const NativeString& path, std::string_view reason) {
  std::string message = "cannot ";
  message += verb;
  message += " \"";
  message += QuestionMarkControls(ToUtf8(AbsolutePath(path)), ControlSet::kAscii);
  message += "\": ";
  message += reason;
  return Status::Error(std::move(message), std::string(reason));
}

}  // namespace platform
