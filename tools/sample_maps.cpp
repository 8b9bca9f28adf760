#include "sample_maps.h"

#include <random>
#include <sstream>

#include "map_writer.h"

namespace sample {

std::vector<std::string> WriteSampleMaps(const std::filesystem::path& folder, int count) {
  static const char* const kStockNames[] = {"ARRACT.MAP", "CAEN.MAP", "KLIN.MAP", "MALTA.MAP",
                                            "SEDAN.MAP",  "TOBRUK.MAP"};
  std::mt19937 random(2024);
  std::vector<std::string> names;
  std::filesystem::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    std::string name;
    if (i < static_cast<int>(std::size(kStockNames))) {
      name = kStockNames[i];
    } else {
      std::ostringstream own;
      own << "MAP" << (10000 + i) << ".MAP";
      name = own.str();
    }
    // A handful of terrain types per map, and an unknown code in one map of nine.
    std::vector<int> codes;
    const int kinds = 1 + static_cast<int>(random() % 6);
    for (int k = 0; k < kinds; ++k) codes.push_back(static_cast<int>(random() % 17));
    if (i % 9 == 4) codes.push_back(i % 2 == 0 ? 17 : -1);
    tools::WriteFile(folder / name, tools::MapBytes(codes, static_cast<std::uint32_t>(i + 1)));
    names.push_back(name);
  }
  return names;
}

}  // namespace sample
