#include "threads_and_files.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#else
#include <cstdio>
#include <filesystem>
#include <fstream>
#endif

#include <iterator>
#include <thread>

namespace tools {

std::string ThreadsAndFiles() {
  std::thread([] {}).join();  // ThreadSanitizer adds a thread of its own at the first one started
  unsigned long threads = 0, files = 0;
#ifdef _WIN32
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    // A joined thread has ended, but the system may list it a while longer.
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    DWORD code = 0;
    threads += thread != nullptr && GetExitCodeThread(thread, &code) && code == STILL_ACTIVE;
    if (thread != nullptr) CloseHandle(thread);
  }
  CloseHandle(snapshot);
  GetProcessHandleCount(GetCurrentProcess(), &files);
#else
  // A joined thread has begun to exit: the kernel flags it PF_EXITING (4, in
  // the ninth field of its stat line) before the join returns, but may list it
  // a while longer.
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::string stat;
    std::getline(std::ifstream(task.path() / "stat"), stat);
    unsigned long flags = 4;  // gone meanwhile; the name before the fields may hold spaces
    if (stat.rfind(')') != std::string::npos) std::sscanf(&stat[stat.rfind(')') + 1], " %*c%*d%*d%*d%*d%*d%lu", &flags);
    threads += (flags & 4) == 0;
  }
  namespace fs = std::filesystem;
  files = static_cast<unsigned long>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
#endif
  return std::to_string(threads) + " threads, " + std::to_string(files) + " files";
}

}  // namespace tools
