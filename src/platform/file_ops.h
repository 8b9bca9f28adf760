// Every call the report makes on files, behind one class: the system's for
// each operating system, so that the buffering, replacement and in-place
// rewriting logic is shared, or one that wraps it. The calls that return an
// int return 0 on success or the system's error code; the Is... calls classify
// such a code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

// A file open for the report: a POSIX descriptor or a Windows handle.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// What a report's path holds, looked at without following a link.
struct ExistingReport {
  enum class EntryType { kNone, kFile, kLink, kOther } type = EntryType::kNone;
  // kFile: why this user may not write it (or, on Windows, why no one may
  // write or replace it now); kOther (a folder, a FIFO, a device, a socket):
  // why nothing may take its place. 0 otherwise.
  int refusal = 0;
  std::uint32_t mode = 0;  // kFile: its permission bits (POSIX)
};

class ReportFileSystem {
 public:
  virtual ~ReportFileSystem() = default;

  // Looks at what `path` holds.
  virtual int Inspect(const NativeString& path, ExistingReport* report) const = 0;
  // Creates the new report's file for reading and writing. Unless `named`,
  // where the system offers it, the file has no name (Linux O_TMPFILE in
  // `folder`); else it is `path`, failing when something of that name exists.
  // `*vanishes` tells whether the file goes by itself when it is closed, or the
  // program ends, before Keep: an unnamed file, or on Windows one marked for
  // deletion on close.
  virtual int Create(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
                     bool* vanishes) const = 0;
  // Makes a file that vanishes stay, as `path`: links an unnamed file there,
  // or cancels the deletion of a file already named `path`.
  virtual int Keep(FileHandle file, const NativeString& path) const = 0;
  // Opens the existing regular file `path` for reading and writing, never through a link.
  virtual int OpenExisting(const NativeString& path, FileHandle* file) const = 0;

  // Writes all of `bytes`, or as many as fit before the error.
  virtual int Write(FileHandle file, std::string_view bytes) const = 0;
  // Reads the whole file from its start.
  virtual int ReadAll(FileHandle file, std::string* bytes) const = 0;
  // Moves back to the start of the file.
  virtual int Rewind(FileHandle file) const = 0;
  // Makes room on disk for the first `size` bytes; the file may grow to `size`.
  virtual int Reserve(FileHandle file, std::uint64_t size) const = 0;
  // Cuts or extends the file to `size` bytes.
  virtual int SetLength(FileHandle file, std::uint64_t size) const = 0;
  // Gives the file the permission bits `mode` (POSIX; nothing on Windows).
  virtual int SetMode(FileHandle file, std::uint32_t mode) const = 0;
  // Makes what was written durable.
  virtual int Sync(FileHandle file) const = 0;
  virtual int Close(FileHandle file) const = 0;

  // Puts `from` in place of `to`, replacing a file or link there; on Windows
  // with `write_through` the move is on disk before the call returns.
  virtual int Replace(const NativeString& from, const NativeString& to, bool write_through) const = 0;
  virtual int Remove(const NativeString& path) const = 0;
  // Until Unguard, a signal that would end the program (POSIX SIGTERM, SIGINT,
  // SIGHUP) removes the file `path` first. One file at a time.
  virtual void GuardTemporary(const NativeString& path) const = 0;
  virtual void Unguard() const = 0;

  virtual bool IsAlreadyExists(int error) const = 0;
  // Refused for want of permission (including a sticky folder's refusal).
  virtual bool IsAccessDenied(int error) const = 0;
  // The system's description of an error, in UTF-8.
  virtual std::string ErrorText(int error) const = 0;
};

// The system's calls.
const ReportFileSystem& SystemReportFileSystem();

}  // namespace platform
