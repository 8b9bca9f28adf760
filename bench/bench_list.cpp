// Times the window on a big folder, Form1 drawn by the system's toolkit with
// the real listing: opening a folder of generated maps through to File1's
// names, against a floor that only lists the folder's names and sorts them;
// then, with the folder shown, maps added one at a time at 5 a second, and
// the CPU time the process used meanwhile, the writing thread's own left out.
// Prints the medians and their ratio. The same source builds on Linux (Qt)
// and, cross-built, on Windows (Win32, run under wine by ./bench.sh --windows).
//   groundstyles_list_bench [MAPS] [ROUNDS] [ADDED] [FOLDER]
// FOLDER, when given, holds only a subfolder "maps" of MAPS maps already
// (made with groundstyles_mapgen), which is used rather than one written
// here, and the maps added are removed from it at the end.
#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "win32_window.h"
#else
#include <dirent.h>
#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "qt_window.h"
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "form1.h"
#include "map_writer.h"
#include "platform/drives.h"
#include "sample_maps.h"

namespace {

using Clock = std::chrono::steady_clock;
// Maps added during the churn, one every kAddedEveryMs.
constexpr int kAddedEveryMs = 200;
// After the last map added, the time the window has to show it.
constexpr int kSettleMs = 1000;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double TimeMs(const std::function<void()>& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

#ifdef _WIN32

using View = Win32Window;

void PlainOutput() { _setmode(_fileno(stdout), _O_BINARY); }

// The least a listing must do: every name of the folder, asked for as a
// plain program asks (FindFirstFileExW, no short names, large fetches), then
// sorted. The program itself takes the entries many to a call from the
// folder's handle.
std::size_t ListAndSort(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) std::abort();
  do {
    names.emplace_back(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names.size();
}

double Seconds(const FILETIME& kernel, const FILETIME& user) {
  const auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

// The CPU time of the process so far, and of the calling thread.
double ProcessCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return -1;
  return Seconds(kernel, user);
}
double ThreadCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return -1;
  return Seconds(kernel, user);
}

void Show(View& view) {
  ShowWindow(view.hwnd(), SW_SHOWNORMAL);
  UpdateWindow(view.hwnd());
}

// Handles what the window has queued: it is drawn anew.
void Settle(View& view) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) view.Dispatch(message);
}

// Runs the window's messages for `ms`.
void RunWindow(View& view, int ms) {
  const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), [](HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
  });
  view.Run();
  KillTimer(nullptr, timer);
}

#else

using View = QtWindow;

void PlainOutput() {}

std::size_t ListAndSort(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) std::abort();
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names.size();
}

double CpuSeconds(clockid_t clock) {
  timespec time{};
  if (::clock_gettime(clock, &time) != 0) return -1;
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}
double ProcessCpuSeconds() { return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
double ThreadCpuSeconds() { return CpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

void Show(View& view) { view.show(); }

void Settle(View&) { QCoreApplication::processEvents(); }

void RunWindow(View&, int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

#endif

// Form1 in its window, opened on the working folder and shown.
struct Window {
  Window() {
    view.Load(form);
    Show(view);
    Settle(view);
  }
  View view;
  window::Form1 form{view, platform::SystemDrives()};
};

// Dir1's row of the subfolder of `folder`, when Dir1 shows `folder` and its
// one subfolder: a row for the drive's root, then one for each folder down.
std::size_t SubfolderRow(const std::filesystem::path& folder) {
  const std::filesystem::path below_root = folder.relative_path();
  return static_cast<std::size_t>(std::distance(below_root.begin(), below_root.end())) + 1;
}

}  // namespace

int main(int argc, char** argv) {
  PlainOutput();
#ifndef _WIN32
  // No display is needed: the window is drawn off the screen unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
#endif
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const int added = argc > 3 ? std::atoi(argv[3]) : 50;
  if (count <= 0 || rounds <= 0 || added < 0 || argc > 5) {
    std::fprintf(stderr, "usage: %s [MAPS] [ROUNDS] [ADDED] [FOLDER]\n", argv[0]);
    return 2;
  }

  tools::TempFolder temp;
  const std::filesystem::path parent = argc > 4 ? std::filesystem::absolute(argv[4]) : temp.path();
  const std::filesystem::path maps = parent / "maps";
  std::printf("maps: %d in %s\n", count, maps.string().c_str());
  std::fflush(stdout);
  if (argc <= 4) sample::WriteSampleMaps(maps, count);

  // The window on the maps' parent folder; each round opens the maps' folder
  // from Dir1, as the user does, and goes back up, untimed.
  std::filesystem::current_path(parent);
  Window shown;
  const std::size_t maps_row = SubfolderRow(parent);
  std::vector<double> floor, open;
  for (int round = 0; round < rounds; ++round) {
    std::size_t listed = 0;
    floor.push_back(TimeMs([&] { listed = ListAndSort(maps); }));
    if (listed < static_cast<std::size_t>(count)) std::abort();
    open.push_back(TimeMs([&] {
      shown.form.Dir1_Open(maps_row);
      Settle(shown.view);
    }));
    if (shown.form.file1_names().size() != static_cast<std::size_t>(count)) {
      std::fprintf(stderr, "File1 shows %zu maps, not %d\n", shown.form.file1_names().size(), count);
      return 1;
    }
    if (round + 1 < rounds) shown.form.Dir1_Open(maps_row - 1);
  }
  const double floor_ms = Median(floor);
  const double open_ms = Median(open);
  std::printf("open: floor_median_ms: %.1f open_median_ms: %.1f\n", floor_ms, open_ms);
  std::fflush(stdout);

  // The folder shown, maps added one at a time while the window runs.
  double writer_cpu = 0;
  std::atomic<bool> written{false};
  const double cpu_before = ProcessCpuSeconds();
  std::thread writer([&] {
    const double start = ThreadCpuSeconds();
    for (int i = 0; i < added; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kAddedEveryMs));
      tools::WriteFile(maps / ("ADDED" + std::to_string(10000 + i) + ".MAP"), tools::MapBytes({i % 17}));
    }
    writer_cpu = ThreadCpuSeconds() - start;
    written = true;
  });
  // Under wine a new file takes longer to make in a big folder: the window
  // runs until the last map has been written, then has its time to show it.
  RunWindow(shown.view, added * kAddedEveryMs);
  while (!written) RunWindow(shown.view, kAddedEveryMs);
  RunWindow(shown.view, kSettleMs);
  writer.join();
  const double churn_cpu = ProcessCpuSeconds() - cpu_before - writer_cpu;
  const std::size_t after = shown.form.file1_names().size();
  std::printf("churn: %d maps added at %d a second to a shown folder of %d: cpu_s: %.2f (the writing thread's "
              "%.2f left out), File1 then shows %zu maps\n",
              added, 1000 / kAddedEveryMs, count, churn_cpu, writer_cpu, after);
  std::printf("list_ratio_to_floor: %.2f\n", open_ms / floor_ms);
  std::filesystem::current_path(temp.path().parent_path());  // so that the folder can go
  for (int i = 0; i < added; ++i) std::filesystem::remove(maps / ("ADDED" + std::to_string(10000 + i) + ".MAP"));
  return after == static_cast<std::size_t>(count + added) ? 0 : 1;
}
