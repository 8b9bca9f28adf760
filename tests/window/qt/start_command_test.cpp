// The window program's command line, which it reads before the toolkit starts.
#include "start_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "groundstyles_version.h"
#include "map_writer.h"
#include "run_program.h"

namespace {

const std::string kHint = "Try 'groundstyles --help' for more information.\n";
const std::string kProgram = GROUNDSTYLES_WINDOW_PROGRAM;

// What the command line after the program's name asks for, as a line: "open
// PATH", "print TEXT" or "error TEXT".
std::string Parsed(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"groundstyles"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  const StartCommand command = ParseStartCommand(all);
  if (command.action == StartCommand::Action::kOpen) return "open " + command.path;
  return (command.action == StartCommand::Action::kPrint ? "print " : "error ") + command.text;
}

// FOLDER is a folder, or a map file for its folder, taken as the system gave
// it, whatever its encoding; anything else is a wrong command line.
TEST(StartCommandTest, FolderIsAFolderOrAMapFile) {
  const tools::TempFolder temp;
  const std::string folder = (temp.path() / "h\xE9me").string();
  std::filesystem::create_directory(folder);
  tools::WriteFile(folder + "/OWN.MAP", "");
  tools::WriteFile(folder + "/notes.txt", "");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "open "},
      {{folder}, "open " + folder},
      {{"--", folder + "/OWN.MAP"}, "open " + folder + "/OWN.MAP"},
      {{folder, folder}, "error groundstyles: Unexpected argument '" + folder + "'.\n" + kHint},
      {{folder + "/notes.txt"}, "error groundstyles: cannot open \"" + folder + "/notes.txt\": Not a directory\n"},
      {{folder + "/gone"}, "error groundstyles: cannot open \"" + folder + "/gone\": No such file or directory\n"},
  };
  for (const auto& [arguments, parsed] : cases) EXPECT_EQ(Parsed(arguments), parsed);
}

// --help and --version answer, and a wrong option is refused, where there is
// no display to open a window on.
TEST(StartCommandTest, TheProgramAnswersWithoutADisplay) {
  const std::string help =
      "Usage: groundstyles [options] [FOLDER]\n"
      "Opens the Groundstyles window, which reports the terrain types of the PG2\n"
      "maps (*.MAP) in a folder, with its lists on FOLDER, or on the folder it is\n"
      "started in.\n"
      "\n"
      "Options:\n"
      "  -h, --help     Shows this help and exits.\n"
      "  -v, --version  Shows the version and exits.\n"
      "\n"
      "Arguments:\n"
      "  FOLDER         A folder of maps, or a map file for the folder that holds it.\n";
  // The argument, then the exit status, what it wrote on standard error and on standard output.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--version", "0 groundstyles " GROUNDSTYLES_VERSION_TEXT "\n"},
      {"--help", "0 " + help},
      {"-x", "2 groundstyles: Unknown option 'x'.\n" + kHint},
  };
  const tools::TempFolder temp;
  for (const auto& [argument, answer] : cases) {
    const tools::ProgramRun run = tools::RunProgram(
        "/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", kProgram, argument},
        temp.path());
    EXPECT_EQ(std::to_string(run.status) + " " + run.error + run.output, answer);
  }
}

}  // namespace
