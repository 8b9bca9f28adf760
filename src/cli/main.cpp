// groundstyles-scan: the scan from a shell. On Windows the arguments come as
// UTF-16 (wmain), so that any folder name arrives whole, and are parsed as UTF-8.
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/console.h"
#include "platform/text.h"
#include "scan_command.h"

namespace {

int Main(const std::vector<std::string>& arguments) {
  const cli::CommandLine command_line = cli::ParseCommandLine(arguments);
  switch (command_line.action) {
    case cli::CommandLine::Action::kPrint:
      return platform::WriteOutput(command_line.text).ok() ? cli::kExitDone : cli::kExitFailed;
    case cli::CommandLine::Action::kUsageError:
      platform::WriteError(command_line.text);
      return cli::kExitUsage;
    case cli::CommandLine::Action::kScan:
      break;
  }
  return cli::RunScanCommand(command_line.options);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(platform::ToUtf8(argv[i]));
  return Main(arguments);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
