#include "threads_and_files.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#else
#include <filesystem>
#include <fstream>
#include <sstream>
#endif

#include <thread>

namespace tools {

std::string ThreadsAndFiles() {
  std::thread([] {}).join();  // ThreadSanitizer adds a thread of its own at the first one started
  std::size_t threads = 0, files = 0;
#ifdef _WIN32
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (bool more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    threads += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(snapshot);
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  files = handles;
#else
  namespace fs = std::filesystem;
  // A joined thread has begun to exit: the kernel flags it PF_EXITING (the
  // ninth field of its stat line) before join returns, and lists it until later.
  constexpr unsigned long kExiting = 0x4;
  for (const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream stat(task.path() / "stat");
    std::string line, field;
    if (!std::getline(stat, line)) continue;  // gone meanwhile
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    for (int i = 3; i < 9; ++i) fields >> field;  // state to tpgid; the name before may hold spaces
    unsigned long flags = 0;
    fields >> flags;
    threads += (flags & kExiting) == 0;
  }
  for (auto entry = fs::directory_iterator("/proc/self/fd"); entry != fs::directory_iterator(); ++entry) ++files;
#endif
  return std::to_string(threads) + " threads, " + std::to_string(files) + " files";
}

}  // namespace tools
