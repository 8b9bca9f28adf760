// Times a whole scan against two floors that only open, read and close every
// map, one map at a time and on as many threads as the scan may keep reading,
// alternately in one process: first with the maps in the page cache, then,
// where the page cache may be dropped, with every map read from the disk.
// Each round also times the whole groundstyles-scan process, stripped as the
// packages ship it, from its start to its exit, scanning the same maps into a
// report of its own.
// Prints the medians and their ratios. The same source builds on Linux and,
// cross-built, on Windows (run under wine by ./bench.sh --windows); what
// differs lies in the few functions under #ifdef below.
//   groundstyles_bench [MAPS] [ROUNDS] [READS_IN_FLIGHT]
#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "map_writer.h"
#include "platform/listing.h"
#include "sample_maps.h"
#include "scan/map_reader.h"
#include "scan/run_scan.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

#ifdef _WIN32

// Lines end in LF as on Linux, so that scripts read the figures alike.
void PlainOutput() { _setmode(_fileno(stdout), _O_BINARY); }

// The peak working set of the process so far (under wine, the kernel's peak
// resident memory of the process).
long PeakMemoryKiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

// Windows keeps the peak for the life of the process: false, nothing reset.
bool ResetPeakMemory() { return false; }

// Neither Windows nor wine lets a program drop the system's file cache.
bool DropPageCache() { return false; }
constexpr const char* kNoColdReason = "Windows and wine give a program no way to drop the file cache";

// The least a scan must do for one map, as on Linux: open it, check what it
// is (a device or a pipe must not be read), read its terrain bytes, close it.
void ReadMap(const platform::NativeString& path) {
  unsigned char buffer[scan::kMapTerrainEnd];
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK) std::abort();
  DWORD got = 0;
  if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) std::abort();
  CloseHandle(file);
}

// Runs `program` with `arguments` (none holds a '"' or ends in '\\'), its
// standard output discarded and its standard input and error those of this
// process; its exit status, or -1 when it did not start.
int RunProcess(const platform::NativeString& program, const std::vector<platform::NativeString>& arguments) {
  std::wstring command_line = L"\"" + program + L"\"";
  for (const platform::NativeString& argument : arguments) command_line += L" \"" + argument + L"\"";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE discard = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                     OPEN_EXISTING, 0, nullptr);
  if (discard == INVALID_HANDLE_VALUE) return -1;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = discard;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(discard);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = DWORD(-1);
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

#else

void PlainOutput() {}

// The peak resident memory since the last ResetPeakMemory, from the kernel.
long PeakMemoryKiB() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long peak = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &peak) == 1) break;
  }
  std::fclose(status);
  return peak;
}

// Starts a new peak from the memory in use now, so that the rounds are
// measured without the generation of the maps before them.
bool ResetPeakMemory() {
  std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (refs == nullptr) return false;
  const bool reset = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && reset;
}

// Writes dirty pages out and drops the page cache, dentries and inodes; false
// when the system does not let this process do so (it takes root on Linux).
bool DropPageCache() {
  ::sync();
  std::FILE* drop = std::fopen("/proc/sys/vm/drop_caches", "w");
  if (drop == nullptr) return false;
  const bool dropped = std::fputs("3", drop) >= 0;
  return std::fclose(drop) == 0 && dropped;
}
constexpr const char* kNoColdReason = "the page cache cannot be dropped (that takes root on Linux)";

// The least a scan must do for one map: open it, check what it is, read its
// terrain bytes, close it.
void ReadMap(const platform::NativeString& path) {
  unsigned char buffer[scan::kMapTerrainEnd];
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) std::abort();
  struct stat info {};
  if (::fstat(fd, &info) != 0 || ::read(fd, buffer, sizeof buffer) < 0) std::abort();
  ::close(fd);
}

// Runs `program` with `arguments`, its standard output discarded and its
// standard input and error and environment those of this process; its exit
// status, or -1 when it did not start or did not exit.
int RunProcess(const platform::NativeString& program, const std::vector<platform::NativeString>& arguments) {
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const platform::NativeString& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t discard_output;
  if (::posix_spawn_file_actions_init(&discard_output) != 0) return -1;
  pid_t child = 0;
  const bool started =
      ::posix_spawn_file_actions_addopen(&discard_output, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
      ::posix_spawn(&child, program.c_str(), &discard_output, nullptr, argv.data(), environ) == 0;
  ::posix_spawn_file_actions_destroy(&discard_output);
  if (!started) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

// That for every map, with `threads` threads taking the next map not yet read.
void Floor(const std::vector<platform::NativeString>& paths, int threads) {
  std::atomic<std::size_t> next{0};
  const auto read_all = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < paths.size();) ReadMap(paths[i]);
  };
  if (threads <= 1) return read_all();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(read_all);
  for (std::thread& thread : pool) thread.join();
}

double TimeMs(const std::function<void()>& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The times of the contenders over the rounds, and of two parts of the
// program's work that the floors do not do: listing the maps' folder, and
// the program's start and exit alone (`--version`). `program` and
// `program_start` stay empty where groundstyles-scan is not built.
struct Times {
  std::vector<double> floor, parallel_floor, scan, program, listing, program_start;
};

// " program_median_ms: M" for the rounds that timed the program; else nothing.
std::string ProgramMedian(const Times& times) {
  if (times.program.empty()) return {};
  char text[64];
  std::snprintf(text, sizeof text, " program_median_ms: %.1f", Median(times.program));
  return text;
}

// The parts of the program's time beyond its scan, as a line of their own.
void PrintProgramParts(const char* which, const Times& times) {
  if (times.program.empty()) return;
  std::printf("%s: program_start_median_ms: %.1f listing_median_ms: %.1f\n", which, Median(times.program_start),
              Median(times.listing));
}

}  // namespace

int main(int argc, char** argv) {
  PlainOutput();
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  const int reads_in_flight = argc > 3 ? std::atoi(argv[3]) : scan::kReadsInFlight;
  if (count <= 0 || rounds <= 0 || reads_in_flight <= 0) {
    std::fprintf(stderr, "usage: %s [MAPS] [ROUNDS] [READS_IN_FLIGHT]\n", argv[0]);
    return 2;
  }

  tools::TempFolder temp;
  const std::filesystem::path maps = temp.path() / "maps";
  const std::filesystem::path reports = temp.path() / "reports";
  std::filesystem::create_directories(reports);
  std::printf("maps: %d in %s, reads in flight: %d\n", count, maps.string().c_str(), reads_in_flight);
  std::vector<platform::NativeString> names, paths;
  for (const std::string& name : sample::WriteSampleMaps(maps, count)) {
    names.push_back(platform::FromAscii(name));
    paths.push_back((maps / name).native());
  }
  const bool peak_reset = ResetPeakMemory();
  const long memory_before = PeakMemoryKiB();

  const scan::TerrainCatalogue catalogue;
  scan::ScanRequest request;
  request.report_folder_text = reports.native();
  request.listed_folder = maps.native();
  request.listed_names = names;
  request.selection = scan::TerrainSelection::All();
  request.reads_in_flight = reads_in_flight;
  bool scan_failed = false;
  const auto run_scan = [&] {
    const auto status = scan::RunScan(request, catalogue, {});
    if (!status.ok()) {
      std::fprintf(stderr, "scan failed: %s\n", status.message().c_str());
      scan_failed = true;
    }
  };
  // The whole program, from its start to its exit, with its report in a folder of its own.
#ifdef GROUNDSTYLES_SCAN_PROGRAM
  const std::filesystem::path program_reports = temp.path() / "program-reports";
  std::filesystem::create_directories(program_reports);
  const platform::NativeString program = platform::FromUtf8(GROUNDSTYLES_SCAN_PROGRAM);
  const std::vector<platform::NativeString> program_arguments = {
      platform::FromAscii("-q"), platform::FromAscii("-j"), platform::FromAscii(std::to_string(reads_in_flight)),
      platform::FromAscii("-o"), program_reports.native(), maps.native()};
  const auto run_program = [&] {
    if (const int status = RunProcess(program, program_arguments); status != 0) {
      std::fprintf(stderr, "groundstyles-scan failed: exit status %d\n", status);
      scan_failed = true;
    }
  };
  // Its start and exit with nothing to do between them but print its version.
  const std::vector<platform::NativeString> version_arguments = {platform::FromAscii("--version")};
  const auto run_program_start = [&] {
    if (const int status = RunProcess(program, version_arguments); status != 0) {
      std::fprintf(stderr, "groundstyles-scan --version failed: exit status %d\n", status);
      scan_failed = true;
    }
  };
#endif
  // The maps' folder listed and sorted, as the program lists it.
  const auto run_listing = [&] {
    std::vector<platform::NativeString> listed;
    if (!platform::ListMapFiles(maps.native(), &listed).ok() || listed.size() != names.size()) {
      std::fprintf(stderr, "listing the maps failed\n");
      scan_failed = true;
    }
  };
  // Each round times each contender; `before_each` runs before each of them, untimed.
  const auto run_rounds = [&](int how_many, const std::function<void()>& before_each) {
    Times times;
    for (int round = 0; round < how_many && !scan_failed; ++round) {
      before_each();
      times.floor.push_back(TimeMs([&] { Floor(paths, 1); }));
      before_each();
      times.parallel_floor.push_back(TimeMs([&] { Floor(paths, reads_in_flight); }));
      before_each();
      times.scan.push_back(TimeMs(run_scan));
#ifdef GROUNDSTYLES_SCAN_PROGRAM
      before_each();
      times.program.push_back(TimeMs(run_program));
      before_each();
      times.program_start.push_back(TimeMs(run_program_start));
#endif
      before_each();
      times.listing.push_back(TimeMs(run_listing));
    }
    return times;
  };

  Floor(paths, 1);  // warm the cache
  const Times warm = run_rounds(rounds, [] {});
  const bool cold_possible = DropPageCache();
  const Times cold = cold_possible ? run_rounds((rounds + 1) / 2, DropPageCache) : Times{};
  if (scan_failed) return 1;

  const double floor_ms = Median(warm.floor), parallel_ms = Median(warm.parallel_floor), scan_ms = Median(warm.scan);
  std::printf("warm: floor_median_ms: %.1f parallel_floor_median_ms: %.1f scan_median_ms: %.1f%s\n", floor_ms,
              parallel_ms, scan_ms, ProgramMedian(warm).c_str());
  PrintProgramParts("warm", warm);
  if (cold_possible) {
    std::printf("cold: floor_median_ms: %.1f parallel_floor_median_ms: %.1f scan_median_ms: %.1f%s\n",
                Median(cold.floor), Median(cold.parallel_floor), Median(cold.scan), ProgramMedian(cold).c_str());
    PrintProgramParts("cold", cold);
  } else {
    std::printf("cold: skipped, %s\n", kNoColdReason);
  }
  std::printf("peak_memory_kib: %ld %s, %ld before them with the names listed\n", PeakMemoryKiB(),
              peak_reset ? "during the rounds" : "since the start (the peak cannot be reset here)", memory_before);
  std::printf("ratio_to_parallel_floor: %.2f\n", scan_ms / parallel_ms);
  if (cold_possible) std::printf("cold_ratio_to_floor: %.2f\n", Median(cold.scan) / Median(cold.floor));
#ifdef _WIN32
  // Under wine every file call waits on one server process, so more threads
  // need not read faster than one: the scan is held to whichever floor is faster.
  const bool parallel_faster = parallel_ms < floor_ms;
  const double held_to_ms = std::min(floor_ms, parallel_ms);
  std::printf("floor: the faster of the two, the %s floor\n", parallel_faster ? "parallel" : "one-thread");
#else
  const double held_to_ms = floor_ms;
  std::printf("floor: the one-thread floor\n");
#endif
  if (!warm.program.empty()) std::printf("cli_ratio_to_floor: %.2f\n", Median(warm.program) / held_to_ms);
  std::printf("ratio_to_floor: %.2f\n", scan_ms / held_to_ms);
  return 0;
}
