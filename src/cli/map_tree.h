// The maps a scan from the shell reads: a folder's, or a whole folder tree's.
#pragma once

#include <vector>

#include "platform/status.h"
#include "platform/text.h"

namespace cli {

// The maps of `folder` as the window's file list names them and in its
// order; with `recursive`, then those of each subfolder, depth first, each
// folder's subfolders in the order the window lists them, named by their path
// under `folder` ("Campaign 1/ARRACT.MAP"). Hidden folders and links to
// folders are left out, so no loop can make the walk endless. Fails, naming
// it, on the first folder that cannot be listed.
platform::Status ListMapTree(const platform::NativeString& folder, bool recursive,
                             std::vector<platform::NativeString>* names);

}  // namespace cli
