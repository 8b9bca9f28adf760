// make_seeds FOLDER: writes the fuzzers' starting inputs into FOLDER/map_decode,
// FOLDER/format_line and FOLDER/resolve_folder.
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

  const fs::path lines = root / "format_line";
  fs::create_directories(lines);
  const std::vector<std::string> names = {"ARRACT.MAP", "arract.map", " KLIN.MAP ", "MYMAP.MAP",
                                          std::string(18, 'N') + ".MAP", std::string(19, 'N') + ".MAP",
                                          "\xC3\x9C" "bung.MAP", "\xE5\x9C\xB0\xE5\x9B\xBE.MAP", "\xFF\xFE.MAP",
                                          "NEW\nLINE.MAP", ""};
  n = 0;
  for (const std::string& name : names) {
    tools::WriteFile(lines / ("name" + std::to_string(n)), (n % 3 ? some : all) + name);
    ++n;
  }

  const fs::path folders = root / "resolve_folder";
  fs::create_directories(folders);
  const std::vector<std::string> texts = {"/tmp", "  /tmp/  ", "", "   ", "/no/such/folder", std::string("/tmp\0/x", 7),
                                          "/", "//", "/tmp/../tmp", "/etc/passwd"};
  n = 0;
  for (const std::string& text : texts) tools::WriteFile(folders / ("text" + std::to_string(n++)), text);
  return 0;
}
