// What a process holds that a scan must give back: its threads and its open
// files (on Windows, its handles).
#pragma once

#include <string>

namespace tools {

// "<n> threads, <m> files" of this process. A thread that has been joined is
// not counted, even while the system still lists it for a moment.
std::string ThreadsAndFiles();

}  // namespace tools
