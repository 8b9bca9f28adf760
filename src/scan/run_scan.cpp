#include "scan/run_scan.h"

#include "scan/report.h"

namespace scan {

namespace {

// Keeps the busy indicator on for the life of the scope.
class BusyScope {
 public:
  explicit BusyScope(const BusyIndicator& busy) : busy_(busy) {
    if (busy_.on) busy_.on();
  }
  ~BusyScope() {
    if (busy_.off) busy_.off();
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  const BusyIndicator& busy_;
};

// Whether the scan is to stop now; a stopped scan fails with a failure no one
// is shown, as the one who stopped it knows why.
bool Stopped(const ScanRequest& request) { return request.stop != nullptr && request.stop->load(); }
platform::Status StoppedStatus() { return platform::Status::Error("the scan was stopped"); }

}  // namespace

platform::Status WriteReportHeader(const ReportSink& sink, const platform::NativeString& listed_folder,
                                   std::size_t count) {
  return sink(ReportHeaderText(listed_folder, count));
}

platform::Status RunScan(const ScanRequest& request, const TerrainCatalogue& catalogue, const BusyIndicator& busy) {
  const platform::NativeString report_folder = ResolveReportFolder(request.report_folder_text);
  if (request.listed_names.empty()) return platform::Status::Ok();

  BusyScope busy_scope(busy);
  std::unique_ptr<platform::ReportFile> report;
  const platform::NativeString report_path = report_folder + platform::FromAscii(kReportFileName);
  if (auto status = platform::ReportFile::Create(report_path, &report, request.report_files); !status.ok()) {
    return status;
  }
  // The busy indicator stays on until the report is in place.
  const BusyIndicator progress{nullptr, nullptr, busy.progress};
  const platform::Status status =
      WriteScan(request, catalogue, progress, [&](std::string_view bytes) { return report->Append(bytes); });
  if (!status.ok()) return status;
  // Once begun, the report's replacement is not broken off: it completes, or
  // fails and puts the previous report back.
  return Stopped(request) ? StoppedStatus() : report->Commit();
}

platform::Status WriteScan(const ScanRequest& request, const TerrainCatalogue& catalogue, const BusyIndicator& busy,
                           const ReportSink& sink) {
  BusyScope busy_scope(busy);
  const std::vector<platform::NativeString>& listed_names = request.listed_names;
  if (auto status = WriteReportHeader(sink, request.listed_folder, listed_names.size()); !status.ok()) return status;

  // Each map is the listed folder + separator + its name; the folder is looked up once.
  const platform::FolderFiles maps(request.listed_folder);
  // Called for one map at a time, in list order, on any of the reading threads.
  auto write_line = [&](std::size_t index, const platform::Status& read, const MapSummary& summary) {
    // A failure here ends the reading: no thread takes another map.
    if (Stopped(request)) return StoppedStatus();
    if (busy.progress) busy.progress(index + 1);
    std::optional<std::string> text;
    if (read.ok()) {
      text = FormatMapLine(listed_names[index], summary, catalogue);
    } else if (request.unreadable) {
      request.unreadable(read);
      text = UnreadableMapLine(listed_names[index], read.reason());
    } else {
      return read;
    }
    if (!text) return platform::Status::Ok();
    *text += kLineEnd;
    return sink(*text);
  };
  return ReadMapsInOrder(maps, listed_names, request.selection, request.reads_in_flight, write_line);
}

}  // namespace scan
