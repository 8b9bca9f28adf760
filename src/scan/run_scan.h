// A scan: read every listed map and write GroundStyles.txt.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "platform/text.h"
#include "platform/report_file.h"
#include "scan/map_reader.h"
#include "scan/terrain.h"

namespace scan {

// What the caller shows while a scan runs: `on` when the scan starts its work,
// `off` when it ends, on every path; `progress` with the number of maps read
// so far, after each map, in list order, one call at a time but on whichever
// thread reads (so it must only note the number). Any may be empty.
struct BusyIndicator {
  std::function<void()> on;
  std::function<void()> off;
  std::function<void(std::size_t maps_done)> progress;
};

// What a scan reads and where its report goes.
struct ScanRequest {
  // The report folder as the user typed it (see ResolveReportFolder).
  platform::NativeString report_folder_text;
  // The folder the maps are in, and their names in list order.
  platform::NativeString listed_folder;
  std::vector<platform::NativeString> listed_names;
  TerrainSelection selection;
  // Up to this many maps are read at once (1: one after another).
  int reads_in_flight = kReadsInFlight;
  // The file system the report is written through.
  std::reference_wrapper<const platform::ReportFileSystem> report_files = platform::SystemReportFileSystem();
  // When set, a map that cannot be read stops nothing: its line says why
  // (UnreadableMapLine), and this is called with its failure, in list order.
  std::function<void(const platform::Status& failure)> unreadable = nullptr;
  // When set, the scan stops between maps once it turns true (from any thread).
  const std::atomic<bool>* stop = nullptr;
};

// Resolves the report folder; when the list is not empty, reads each map
// listed folder + separator + name in list order and replaces the report in
// that folder with the header and one line for each map that has anything to
// report, naming terrain as `catalogue` does. An empty list touches nothing on
// disk. A failure stops the scan, leaves any previous report as it was and
// names the first failing map in list order (or the report) and the system's
// reason; a map that cannot be read fails it unless `request.unreadable` is set.
// A stop fails it the same way, unless the report was already being put in
// place: that then completes, or fails and keeps the previous report.
platform::Status RunScan(const ScanRequest& request, const TerrainCatalogue& catalogue, const BusyIndicator& busy);

// Receives the report's text a piece at a time; a failure stops the scan.
using ReportSink = std::function<platform::Status(std::string_view bytes)>;

// Hands `sink` the eight header lines for `count` maps listed in `listed_folder`.
platform::Status WriteReportHeader(const ReportSink& sink, const platform::NativeString& listed_folder,
                                   std::size_t count);

// The heart of RunScan, for a report that goes elsewhere than a file: reads
// the listed maps and hands the header and their lines to `sink` (the report
// folder text and the report calls are not used). Fails as RunScan does.
platform::Status WriteScan(const ScanRequest& request, const TerrainCatalogue& catalogue, const BusyIndicator& busy,
                           const ReportSink& sink);

}  // namespace scan
