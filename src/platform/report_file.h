// A report file that is replaced whole or not at all. The text goes to a new
// file in the report's folder (on Linux one without a name, so that a killed
// scan leaves nothing behind) that takes the report's place when complete.
// Where the folder takes no new file, or refuses the replacement, a report the
// user may write is rewritten in place, with its old bytes put back on failure.
// The report is never written through a link, and a report the user may not
// write is left alone. On every failure the previous report stays as it was.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_ops.h"
#include "platform/status.h"
#include "platform/text.h"

namespace platform {

class ReportFile {
 public:
  // Starts a new report at `path`, made through `files`, which must outlive it.
  // Fails at once, before any byte is written, when the report cannot be put
  // in place: its name taken by a folder or another non-file, a report the
  // user may not write, or on Windows one another program holds open so that
  // it can be neither written nor replaced.
  static Status Create(const NativeString& path, std::unique_ptr<ReportFile>* report,
                       const ReportFileSystem& files = SystemReportFileSystem());

  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  // Without a successful Commit the new file goes and the report is left untouched.
  ~ReportFile();

  // Appends bytes to the report; they may be held in a buffer until Commit.
  // A failure sticks: every later call, Commit too, returns it.
  Status Append(std::string_view bytes);
  // Writes out what is buffered, makes it durable and puts it in place of the report.
  Status Commit();

 private:
  struct Impl;
  explicit ReportFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
