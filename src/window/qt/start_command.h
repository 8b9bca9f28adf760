// The window program's command line: --help, --version, and the folder the
// lists open on. It is read before the toolkit starts, so that it answers
// without a display.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"

// The exit status of a wrong command line.
inline constexpr int kExitUsage = 2;

// What the command line asks for: the window, its lists on `path` (a folder
// or a map file; empty: the working folder), or `text` printed on standard
// output and status 0 (--help, --version), or a wrong command line, `text`
// printed on standard error and status kExitUsage.
struct StartCommand {
  enum class Action { kOpen, kPrint, kUsageError };
  Action action = Action::kOpen;
  std::string text;
  platform::NativeString path;
};

// Parses `arguments`, the program's name first, as the system gave them.
// Needs a QCoreApplication, whose first argument names the program in the help.
StartCommand ParseStartCommand(const std::vector<std::string>& arguments);
