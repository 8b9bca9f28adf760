// What a process holds that a scan must give back: its threads and its open
// files (on Windows, its handles).
#pragma once

#include <string>

namespace tools {

// "<n> threads, <m> files" of this process. A thread that has been joined is
// not counted, even while the system still lists it for a moment. On Windows
// GoogleTest starts a thread at a test's first SCOPED_TRACE: count after it.
std::string ThreadsAndFiles();

}  // namespace tools
