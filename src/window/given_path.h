// A path given to the window from outside, on its command line or dropped on
// it, and the folder the lists open on for it.
#pragma once

#include "platform/text.h"

namespace window {

// The folder `path` stands for, made absolute (a relative path is taken from
// the working folder) with no separator at its end but at a root: `path`
// itself, or the folder that holds it when it is a map file. A path that is
// neither a folder nor a map file is given back as it is, for the lists to
// say why they cannot open on it; an empty path stays empty.
platform::NativeString FolderOfGivenPath(const platform::NativeString& path);

}  // namespace window
