// The operating system's file calls that report writing needs, behind one
// small interface so that the buffering and replacement logic is shared.
// Each call returns 0 on success or the system's error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform::internal {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Creates `path`, failing when something of that name exists.
int CreateNewFile(const NativeString& path, FileHandle* file);
// Opens the existing regular file `path` for writing, without truncating it.
int OpenForWriting(const NativeString& path, FileHandle* file);
// Writes at most `size` bytes; `*written` tells how many went.
int WriteSome(FileHandle file, const char* data, std::size_t size, std::size_t* written);
// Empties the file and moves back to its start.
int Truncate(FileHandle file);
// Makes what was written durable.
int Sync(FileHandle file);
int Close(FileHandle file);
// Puts `from` in place of `to`, replacing a file there.
int Replace(const NativeString& from, const NativeString& to);
void Remove(const NativeString& path);

bool IsAlreadyExists(int error);
bool IsAccessDenied(int error);
// The errors a full disk and a failing device give.
int DiskFullError();
int DeviceError();
// The system's description of an error, in UTF-8.
std::string ErrorText(int error);

}  // namespace platform::internal
