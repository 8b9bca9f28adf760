// Paths and folders: the separator, the folder test, absolute paths, and the
// user's folder that stands in for the first drive's root.
#pragma once

#include <string>

#include "platform/text.h"

namespace platform {

#ifdef _WIN32
inline constexpr NativeChar kSeparator = L'\\';
#else
inline constexpr NativeChar kSeparator = '/';
#endif

// True only for an existing folder (or a link to one); false for an empty path,
// a file or a missing path.
bool FolderExists(const NativeString& path);

// `path` as file dialogs take it: on POSIX "~" and "~/..." with the home
// folder in place of "~"; any other path ("~user", "a~b"), and every path on
// Windows, as it is.
NativeString ExpandHome(const NativeString& path);

// Why `path` is not an existing folder, as the system says it ("No such file
// or directory", "Not a directory"); empty when it is one.
std::string NotAFolderReason(const NativeString& path);

// The folder that stands in for the first drive's root, ending in kSeparator:
// the home folder on POSIX; on Windows the user's Documents folder as the
// system names it (wherever it was moved), or, when the system gives none, the
// user's profile folder, and failing that the working folder.
NativeString ReportFallbackFolder();

// `path` made absolute as the system resolves it: a relative path is joined to
// the working folder, and "." and ".." are taken away (on POSIX after following
// the links before them). The last name is kept as it is.
NativeString AbsolutePath(const NativeString& path);

}  // namespace platform
