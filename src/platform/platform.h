// Paths and text as the operating system holds them, and the file operations
// the scan needs: the path text, the separator, the user's folder that stands
// in for the first drive's root, the report's text encoding, the folder test,
// reading the start of a file and the form of a file error. Listing folders,
// drives and writing the report have headers of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// Path and file-name text as the operating system holds it: bytes on POSIX,
// UTF-16 on Windows.
using NativeString = std::filesystem::path::string_type;
using NativeChar = NativeString::value_type;

#ifdef _WIN32
inline constexpr NativeChar kSeparator = L'\\';
#else
inline constexpr NativeChar kSeparator = '/';
#endif

// Native text from UTF-8 (text typed into the window).
NativeString FromUtf8(std::string_view utf8);
// UTF-8 for display; bytes that are not valid UTF-8 become U+FFFD.
std::string ToUtf8(const NativeString& text);
// Native text from plain ASCII.
NativeString FromAscii(std::string_view ascii);

// The bytes a name takes in the report: unchanged on POSIX, the ANSI code page
// on Windows (characters it cannot hold become '?').
std::string ToReportText(const NativeString& text);
// The width of a name in the report's name column: its code points on POSIX
// (each byte that is not valid UTF-8 counts as one), its UTF-16 code units on
// Windows.
std::size_t ReportTextWidth(const NativeString& text);

// True only for an existing folder (or a link to one); false for an empty path,
// a file or a missing path.
bool FolderExists(const NativeString& path);
// The folder that stands in for the first drive's root, ending in kSeparator:
// the home folder on POSIX; on Windows the user's Documents folder as the
// system names it (wherever it was moved), or, when the system gives none, the
// user's profile folder, and failing that the working folder.
NativeString ReportFallbackFolder();

// Reads up to `capacity` bytes from the start of the regular file at `path`
// into `buffer` and sets `*length` to the count read (less at end of file).
// Opens read-only and without blocking; anything but a regular file is refused.
Status ReadFileHead(const NativeString& path, unsigned char* buffer, std::size_t capacity,
                    std::size_t* length);

// Reads the files of one folder by name, looking the folder up once instead of
// once a file. A failure names the file as `folder` + kSeparator + `name`.
class FolderFiles {
 public:
  explicit FolderFiles(NativeString folder);
  ~FolderFiles();
  FolderFiles(const FolderFiles&) = delete;
  FolderFiles& operator=(const FolderFiles&) = delete;

  // ReadFileHead for the file `name` in the folder.
  Status ReadFileHead(const NativeString& name, unsigned char* buffer, std::size_t capacity,
                      std::size_t* length) const;

 private:
  NativeString folder_;
  std::intptr_t handle_ = -1;  // the open folder where the system offers that
};

// `path` made absolute as the system resolves it: a relative path is joined to
// the working folder, and "." and ".." are taken away (on POSIX after following
// the links before them). The last name is kept as it is.
NativeString AbsolutePath(const NativeString& path);

// `cannot <verb> "<absolute path>": <reason>`, the form of every file error the user sees.
Status FileError(std::string_view verb, const NativeString& path, std::string_view reason);

}  // namespace platform
