// A program's standard streams from a shell: messages to a person, bytes to
// a pipe or a file, and whether a person watches standard error.
#pragma once

#include <string_view>

#include "platform/status.h"

namespace platform {

// True when standard error is a terminal (on Windows, a console).
bool ErrorIsTerminal();

// Writes UTF-8 `text` to standard error: to a Windows console as its
// characters, elsewhere as its bytes. A failure to write is ignored: there is
// nowhere left to say so.
void WriteError(std::string_view text);

// Writes `bytes` to standard output unchanged (on Windows too, with no line
// end translated); fails with the system's reason.
Status WriteOutput(std::string_view bytes);

}  // namespace platform
