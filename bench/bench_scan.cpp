// Times a whole scan against a floor that only opens, reads and closes every
// map, alternately in one process, and prints the ratio of the medians.
//   groundstyles_bench [MAPS] [ROUNDS]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "map_writer.h"
#include "scan/map_reader.h"
#include "scan/run_scan.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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
void ResetPeakMemory() {
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
}

// The least any scan must do: open each map, read its terrain bytes, close it.
std::size_t Floor(const std::string& folder, const std::vector<std::string>& names) {
  static unsigned char buffer[scan::kMapTerrainEnd];
  std::size_t total = 0;
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) std::abort();
    struct stat st; fstat(fd, &st);
    total += static_cast<std::size_t>(::read(fd, buffer, sizeof buffer));
    ::close(fd);
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  if (count <= 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: %s [MAPS] [ROUNDS]\n", argv[0]);
    return 2;
  }

  tools::TempFolder temp;
  const std::string maps = (temp.path() / "maps").string();
  const std::string reports = (temp.path() / "reports").string();
  std::filesystem::create_directories(reports);
  std::printf("maps: %d in %s\n", count, maps.c_str());
  const std::vector<std::string> names = tools::WriteSampleMaps(maps, count);
  ResetPeakMemory();
  const long memory_before = PeakMemoryKiB();

  const scan::TerrainCatalogue catalogue;
  const auto selection = scan::TerrainSelection::All();
  Floor(maps, names);  // warm the cache
  std::vector<double> floor_times, scan_times;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    Floor(maps, names);
    floor_times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

    start = Clock::now();
    const auto status = scan::RunScan(reports, maps, names, selection, catalogue, {});
    scan_times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!status.ok()) {
      std::fprintf(stderr, "scan failed: %s\n", status.message().c_str());
      return 1;
    }
  }

  const double floor_ms = Median(floor_times), scan_ms = Median(scan_times);
  std::printf("floor_median_ms: %.1f\n", floor_ms);
  std::printf("scan_median_ms: %.1f\n", scan_ms);
  std::printf("peak_memory_kib: %ld during the rounds, %ld before them with the names listed\n", PeakMemoryKiB(),
              memory_before);
  std::printf("ratio_to_floor: %.2f\n", scan_ms / floor_ms);
  return 0;
}
