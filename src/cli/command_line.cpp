#include "command_line.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "groundstyles_version.h"
#include "terrain_list.h"

namespace cli {

namespace {

constexpr std::size_t kOptionColumn = 27;

// Options shown as a shell user knows them: "-o, --report-folder=DIR", and
// "    --help" under the long names of the others.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() { column_width(kOptionColumn); }

  // The usage line first, then the description (FOLDER's too), the options and the footer.
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    std::string groups = make_groups(app, mode);
    while (groups.ends_with("\n\n")) groups.pop_back();
    return make_usage(app, "") + make_description(app) + groups + "\n" + make_footer(app);
  }
  std::string make_positionals(const CLI::App*) const override { return ""; }
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: " + std::string(kProgramName) + " [OPTION]... FOLDER\n";
  }
  std::string make_option_name(const CLI::Option* option, bool) const override {
    const std::vector<std::string>& shorts = option->get_snames();
    std::string name = shorts.empty() ? "    " : "-" + shorts.front() + ", ";
    return name + "--" + option->get_lnames().front();
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_option_text().empty() ? "" : "=" + option->get_option_text();
  }
};

constexpr std::string_view kDescription =
    "Reads every PG2 map (*.MAP) in FOLDER and writes GroundStyles.txt, the report\n"
    "the Groundstyles window writes: for each map, the terrain types it holds.";
constexpr std::string_view kFooter =
    "Exit status: 0 report written (or no maps in FOLDER), 1 the scan failed,\n"
    "2 wrong command line, 3 report written, but some maps could not be read.";

// Thrown by --list-terrain, which stops the parsing as --help does.
class ListTerrain : public CLI::Success {};

void AddOptions(CLI::App& app, Options& options, std::vector<std::string>& terrain_lists) {
  app.add_option("-o,--report-folder", options.report_folder,
                 "write GroundStyles.txt into DIR (default: the\n"
                 "current folder); \"-\" writes it to standard output")
      ->option_text("DIR");
  app.add_option("-t,--terrain", terrain_lists,
                 "look only for these terrain types: names or codes\n"
                 "from --list-terrain, comma-separated; default all")
      ->option_text("LIST")
      ->expected(1)
      ->allow_extra_args(false)
      ->take_all();
  app.add_flag_callback("--list-terrain", [] { throw ListTerrain(); },
                        "print the 17 codes and names, one a line, and exit");
  app.add_flag("-r,--recursive", options.recursive, "also read the maps of every subfolder, depth first");
  app.add_flag("-k,--keep-going", options.keep_going,
               "a map that cannot be read does not stop the scan:\n"
               "its line in the report says why; exit status 3");
  app.add_option("-j,--jobs", options.jobs,
                 "read at most N maps at once (1-64; default " + std::to_string(scan::kReadsInFlight) + ")")
      ->option_text("N")
      ->check(CLI::Range(1, 64));
  app.add_flag("-q,--quiet", options.quiet, "no progress on standard error");
  app.add_option("FOLDER", options.folder)->required();
  // Last in the help, as is usual.
  app.set_help_flag("--help", "print this help and exit");
  app.set_version_flag("--version", std::string(kProgramName) + " " + GROUNDSTYLES_VERSION_TEXT,
                       "print the version and exit");
}

CommandLine UsageError(const std::string& message, const std::string& hint) {
  CommandLine result;
  result.action = CommandLine::Action::kUsageError;
  result.text = std::string(kProgramName) + ": " + message + "\n" + hint + "\n";
  return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  std::vector<std::string> terrain_lists;
  CLI::App app{std::string(kDescription), std::string(kProgramName)};
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(std::string(kFooter));
  app.allow_windows_style_options(false);  // "/maps" is a folder on every system
  AddOptions(app, result.options, terrain_lists);
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // as CLI11 takes them
    app.parse(reversed);
  } catch (const ListTerrain&) {
    result.action = CommandLine::Action::kPrint;
    result.text = TerrainListText(scan::TerrainCatalogue());
    return result;
  } catch (const CLI::CallForHelp&) {
    result.action = CommandLine::Action::kPrint;
    result.text = app.help();
    return result;
  } catch (const CLI::CallForVersion& version) {
    result.action = CommandLine::Action::kPrint;
    result.text = std::string(version.what()) + "\n";
    return result;
  } catch (const CLI::ParseError& error) {
    return UsageError(error.what(), "Try '" + std::string(kProgramName) + " --help' for more information.");
  }
  if (!terrain_lists.empty()) {
    std::string joined = terrain_lists.front();
    for (std::size_t i = 1; i < terrain_lists.size(); ++i) joined += "," + terrain_lists[i];
    std::string unknown;
    if (!ParseTerrainList(joined, scan::TerrainCatalogue(), &result.options.selection, &unknown)) {
      return UsageError("unknown terrain type '" + unknown + "'",
                        "'" + std::string(kProgramName) + " --list-terrain' lists the names and codes.");
    }
  }
  return result;
}

}  // namespace cli
