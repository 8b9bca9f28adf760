// make_seeds FOLDER: writes the map-decoding fuzzer's starting inputs into
// FOLDER/map_decode.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "map_writer.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER\n";
    return 2;
  }
  const fs::path root = argv[1];
  const std::string all("\xFF\xFF\x01", 3), none("\0\0\0", 3), some("\x28\x02\x03", 3);

  const fs::path maps = root / "map_decode";
  fs::create_directories(maps);
  const std::vector<std::vector<int>> code_sets = {{0}, {16}, {5}, {-1}, {17}, {256}, {32767, -32768}, {0, 1, 2, 3, 99}};
  int n = 0;
  for (const auto& codes : code_sets) {
    const std::string map = tools::MapBytes(codes, static_cast<std::uint32_t>(n + 1));
    tools::WriteFile(maps / ("whole" + std::to_string(n)), (n % 2 ? all : some) + map);
    tools::WriteFile(maps / ("short" + std::to_string(n)), none + map.substr(0, 10 + 7 * static_cast<std::size_t>(n)));
    ++n;
  }
  tools::WriteFile(maps / "long", all + tools::MapBytes({4}, 9) + std::string(100, '\xFF'));

  return 0;
}
