// Runs a program of the project as a user's shell would, and takes what it
// writes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tools {

struct ProgramRun {
  int status = -1;     // the exit status
  std::string output;  // its standard output's bytes
  std::string error;   // its standard error's bytes
};

// Runs `program` with `arguments` in `working_folder`, with nothing on its
// standard input, and waits for it to end.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::filesystem::path>& arguments,
                      const std::filesystem::path& working_folder);

}  // namespace tools
