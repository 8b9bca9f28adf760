// A report file that is replaced whole or not at all. The text goes to a new
// file in the report's folder (on Linux one without a name, so that a killed
// scan leaves nothing behind) that takes the report's place when complete.
// Where the folder takes no new file, or refuses the replacement, a report the
// user may write is rewritten in place, with its old bytes put back on failure.
// The report is never written through a link, and a report the user may not
// write is left alone. On every failure the previous report stays as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "platform/text.h"

namespace platform {

// A file open for the report: a POSIX descriptor or a Windows handle.
using FileHandle = std::intptr_t;

// The calls through which a report makes, writes and puts in place its new
// file, each returning 0 or the system's error code.
class ReportFileCalls {
 public:
  virtual ~ReportFileCalls() = default;
  // Creates the new report's file `path` in `folder` for reading and writing,
  // failing when something of that name exists; where the system offers it,
  // the file has no name yet (Linux O_TMPFILE). `*vanishes` tells whether it
  // goes by itself when closed, or when the program ends, until it is kept.
  virtual int Create(const NativeString& folder, const NativeString& path, FileHandle* file,
                     bool* vanishes) const = 0;
  // Writes all of `bytes`, or as many as fit before the error.
  virtual int Write(FileHandle file, std::string_view bytes) const = 0;
  // Makes what was written durable.
  virtual int Sync(FileHandle file) const = 0;
  virtual int Close(FileHandle file) const = 0;
  // Puts `from` in place of `to`, replacing a file or link there; on Windows
  // with `write_through` the move is on disk before the call returns.
  virtual int Replace(const NativeString& from, const NativeString& to, bool write_through) const = 0;
};

// The system's calls.
const ReportFileCalls& SystemReportFileCalls();

class ReportFile {
 public:
  // Starts a new report at `path`, made through `calls`, which must outlive it.
  static Status Create(const NativeString& path, std::unique_ptr<ReportFile>* report,
                       const ReportFileCalls& calls = SystemReportFileCalls());

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
