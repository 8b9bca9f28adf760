// Reading the start of a file: all a map's terrain takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

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
class FileCallRing;

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
  friend class FileHeadReader;

  NativeString folder_;
  std::intptr_t handle_ = -1;  // the open folder where the system offers that
};

// Reads the heads of several files of a folder at once, for one thread: on
// Linux through io_uring where the kernel offers it, so that the opening,
// checking, reading and closing of many files take a few system calls in all;
// elsewhere one file after another. Holds no file it reads open between calls.
class FileHeadReader {
 public:
  // Reads files of `folder` (which outlives it), up to `capacity` bytes of each.
  FileHeadReader(const FolderFiles& folder, std::size_t capacity);
  ~FileHeadReader();
  FileHeadReader(const FileHeadReader&) = delete;
  FileHeadReader& operator=(const FileHeadReader&) = delete;

  // FolderFiles::ReadFileHead for each of `names`, with the same bytes and
  // failures: statuses[i] and lengths[i] say how names[i] went, and Head(i)
  // holds its bytes until the next call. The three have one size.
  void Read(std::span<const NativeString> names, std::span<Status> statuses, std::span<std::size_t> lengths);
  const unsigned char* Head(std::size_t i) const { return buffer_.data() + i * capacity_; }

 private:
  unsigned char* HeadBuffer(std::size_t i) { return buffer_.data() + i * capacity_; }

  const FolderFiles& folder_;
  const std::size_t capacity_;
  std::vector<unsigned char> buffer_;
  std::unique_ptr<FileCallRing> ring_;  // made at the first call that can use it; none where there is none
  bool ring_tried_ = false;
};

}  // namespace platform
