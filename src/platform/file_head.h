// Reading the start of a file: all a map's terrain takes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/status.h"
#include "platform/text.h"

namespace platform {

// Reads up to `capacity` bytes from the start of the regular file at `path`
// into `buffer` and sets `*length` to the count read (less at end of file).
// Opens read-only and without blocking; anything but a regular file is refused.
Status ReadFileHead(const NativeString& path, unsigned char* buffer, std::size_t capacity,
                    std::size_t* length);

// Reads the files of one folder by name (or by their path under it), looking
// the folder up once instead of once a file. A failure names the file as
// `folder` + kSeparator + `name`.
class FolderFiles {
 public:
  explicit FolderFiles(NativeString folder);
  ~FolderFiles();
  FolderFiles(const FolderFiles&) = delete;
  FolderFiles& operator=(const FolderFiles&) = delete;

  // ReadFileHead for the file `name` in the folder, or under it.
  Status ReadFileHead(const NativeString& name, unsigned char* buffer, std::size_t capacity,
                      std::size_t* length) const;

 private:
  NativeString folder_;
  std::intptr_t handle_ = -1;  // the open folder where the system offers that
};

}  // namespace platform
