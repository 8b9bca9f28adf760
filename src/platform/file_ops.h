// The operating system's file calls that report writing needs, one set for
// each system, so that the buffering, replacement and in-place rewriting logic
// is shared. The calls that return an int return 0 on success or the system's
// error code; the Is... calls classify such a code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text.h"
#include "platform/report_file.h"

namespace platform::internal {

inline constexpr FileHandle kNoFile = -1;

// What a report's path holds, looked at without following a link.
struct ExistingReport {
  enum class EntryType { kNone, kFile, kLink, kOther } type = EntryType::kNone;
  int write_error = 0;     // kFile: why this user may not write it, 0 when they may
  std::uint32_t mode = 0;  // kFile: its permission bits (POSIX)
};
int Inspect(const NativeString& path, ExistingReport* report);

// Creates the new report's file for reading and writing. Unless `named`, where
// the system offers it, the file has no name (Linux O_TMPFILE in `folder`);
// else it is `path`, failing when something of that name exists. `*vanishes`
// tells whether the file goes by itself when it is closed, or the program ends,
// before Keep: an unnamed file, or on Windows one marked for deletion on close.
int CreateTemporary(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
                    bool* vanishes);
// Makes a file that vanishes stay, as `path`: links an unnamed file there, or
// cancels the deletion of a file already named `path`.
int Keep(FileHandle file, const NativeString& path);
// Opens the existing regular file `path` for reading and writing, never through a link.
int OpenExisting(const NativeString& path, FileHandle* file);

// Writes at most `size` bytes; `*written` tells how many went.
int WriteSome(FileHandle file, const char* data, std::size_t size, std::size_t* written);
// Reads the whole file from its start.
int ReadAll(FileHandle file, std::string* bytes);
// Moves back to the start of the file.
int Rewind(FileHandle file);
// Makes room on disk for the first `size` bytes; the file may grow to `size`.
int Reserve(FileHandle file, std::uint64_t size);
// Cuts or extends the file to `size` bytes.
int SetLength(FileHandle file, std::uint64_t size);
// Gives the file the permission bits `mode` (POSIX; nothing on Windows).
int SetMode(FileHandle file, std::uint32_t mode);
// Makes what was written durable.
int Sync(FileHandle file);
int Close(FileHandle file);

// Puts `from` in place of `to`, replacing a file or link there; on Windows
// with `write_through` the move is on disk before the call returns.
int Replace(const NativeString& from, const NativeString& to, bool write_through);
void Remove(const NativeString& path);
// Until Unguard, a signal that would end the program (POSIX SIGTERM, SIGINT,
// SIGHUP) removes the file `path` first. One file at a time.
void GuardTemporary(const NativeString& path);
void Unguard();

bool IsAlreadyExists(int error);
// Refused for want of permission (including a sticky folder's refusal).
bool IsAccessDenied(int error);
// The system's description of an error, in UTF-8.
std::string ErrorText(int error);

}  // namespace platform::internal
