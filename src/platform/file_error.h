// The form of every file error the user sees.
#pragma once

#include <string_view>

#include "platform/status.h"
#include "platform/text.h"

namespace platform {

// `cannot <verb> "<absolute path>": <reason>`, control characters in the path
// shown as '?'; the status keeps `reason` as its own too.
Status FileError(std::string_view verb, const NativeString& path, std::string_view reason);

}  // namespace platform
