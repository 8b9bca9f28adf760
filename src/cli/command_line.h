// The command line of groundstyles-scan: its options, its help and its usage errors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scan/map_reader.h"
#include "scan/terrain.h"

namespace cli {

inline constexpr std::string_view kProgramName = "groundstyles-scan";

// The exit statuses.
inline constexpr int kExitDone = 0;         // the report was written, or there were no maps
inline constexpr int kExitFailed = 1;       // the scan failed; any earlier report is as it was
inline constexpr int kExitUsage = 2;        // a wrong command line: nothing read, nothing written
inline constexpr int kExitUnreadable = 3;   // the report was written, and lists maps that could not be read

// What a scan is asked to do. Text is as the command line gave it (UTF-8 on Windows).
struct Options {
  std::string folder;
  std::string report_folder = ".";  // "-": standard output
  scan::TerrainSelection selection = scan::TerrainSelection::All();
  bool recursive = false;
  bool keep_going = false;
  bool quiet = false;
  int jobs = scan::kReadsInFlight;

  bool operator==(const Options&) const = default;
};

// What the command line asks for: a scan with `options`, or `text` printed on
// standard output and status 0 (--help, --version, --list-terrain), or a usage
// error, `text` printed on standard error and status 2.
struct CommandLine {
  enum class Action { kScan, kPrint, kUsageError };
  Action action = Action::kScan;
  Options options;
  std::string text;
};

// Parses the arguments that follow the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace cli
