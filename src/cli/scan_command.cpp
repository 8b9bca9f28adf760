#include "scan_command.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "map_tree.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/report_file.h"
#include "progress.h"
#include "scan/report.h"
#include "scan/run_scan.h"

namespace cli {

namespace {

// One line on standard error, after the program's name.
void Say(const std::string& message) { platform::WriteError(std::string(kProgramName) + ": " + message + "\n"); }

// "/abs/folder" as messages name a folder.
std::string Quoted(const platform::NativeString& path) {
  return "\"" + platform::QuestionMarkControls(platform::ToUtf8(path), platform::ControlSet::kUtf8) + "\"";
}

// The folder as the window's file list holds it: absolute, with no separator
// at its end but at a drive's root.
platform::NativeString ListedFolder(const platform::NativeString& folder) {
  platform::NativeString path = platform::AbsolutePath(folder);
  const std::size_t root = std::filesystem::path(path).root_path().native().size();
  while (path.size() > std::max<std::size_t>(root, 1) &&
         (path.back() == platform::kSeparator || path.back() == '/')) {
    path.pop_back();
  }
  return path;
}

// Status 2 when the folder the maps are in, or the report folder, is not one.
bool FoldersAreThere(const platform::NativeString& folder, const Options& options) {
  if (const std::string reason = platform::NotAFolderReason(folder); !reason.empty()) {
    Say("cannot read the maps in " + Quoted(platform::AbsolutePath(folder)) + ": " + reason);
    return false;
  }
  if (options.report_folder == "-") return true;
  // As the window takes its report folder field.
  const platform::NativeString report_folder = scan::TypedFolderPath(platform::FromUtf8(options.report_folder));
  if (const std::string reason = platform::NotAFolderReason(report_folder); !reason.empty()) {
    Say("cannot write the report into " + Quoted(platform::AbsolutePath(report_folder)) + ": " + reason);
    return false;
  }
  return true;
}

// GroundStyles.txt in the report folder the options name (which was there).
platform::NativeString ReportPath(const std::string& report_folder) {
  const platform::NativeString folder = scan::TypedFolderPath(platform::FromUtf8(report_folder));
  return scan::WithOneSeparator(folder) + platform::FromAscii(scan::kReportFileName);
}

// Writes the report as the window does, to the report file at `path`: unlike
// the window's, a report folder that went meanwhile fails the scan rather
// than sending the report elsewhere.
platform::Status WriteReport(const platform::NativeString& path, const scan::ScanRequest& request,
                             const scan::BusyIndicator& busy) {
  std::unique_ptr<platform::ReportFile> report;
  if (auto status = platform::ReportFile::Create(path, &report); !status.ok()) return status;
  const platform::Status status = scan::WriteScan(request, scan::TerrainCatalogue(), busy, [&](std::string_view bytes) {
    return report->Append(bytes);
  });
  return status.ok() ? report->Commit() : status;
}

// Reads the listed maps and writes the report; returns the exit status.
int Scan(scan::ScanRequest& request, const Options& options) {
  ProgressLine progress(request.listed_names.size(), !options.quiet && platform::ErrorIsTerminal());
  bool any_unreadable = false;
  if (options.keep_going) {
    request.unreadable = [&](const platform::Status& failure) {
      any_unreadable = true;
      progress.Message(std::string(kProgramName) + ": " + failure.message());
    };
  }
  scan::BusyIndicator busy;
  busy.progress = [&](std::size_t done) { progress.Update(done); };
  platform::Status status;
  if (options.report_folder == "-") {
    // Held until the scan ends, so that a failed scan writes nothing.
    std::string report;
    status = scan::WriteScan(request, scan::TerrainCatalogue(), busy, [&](std::string_view bytes) {
      report += bytes;
      return platform::Status::Ok();
    });
    progress.Clear();
    if (status.ok()) status = platform::WriteOutput(report);
  } else {
    status = WriteReport(ReportPath(options.report_folder), request, busy);
  }
  progress.Clear();
  if (!status.ok()) {
    Say(status.message());
    return kExitFailed;
  }
  return any_unreadable ? kExitUnreadable : kExitDone;
}

}  // namespace

int RunScanCommand(const Options& options) {
  const platform::NativeString folder = platform::FromUtf8(options.folder);
  if (!FoldersAreThere(folder, options)) return kExitUsage;
  scan::ScanRequest request;
  request.listed_folder = ListedFolder(folder);
  if (auto status = ListMapTree(request.listed_folder, options.recursive, &request.listed_names); !status.ok()) {
    Say(status.message());
    return kExitFailed;
  }
  if (request.listed_names.empty()) {
    Say("no *.MAP files in " + Quoted(request.listed_folder) + (options.recursive ? " or its subfolders" : "") +
        ": no report written");
    return kExitDone;
  }
  request.selection = options.selection;
  request.reads_in_flight = options.jobs;
  return Scan(request, options);
}

}  // namespace cli
