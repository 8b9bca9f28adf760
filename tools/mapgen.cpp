// groundstyles-mapgen FOLDER [COUNT]: writes COUNT generated maps (default 40) into FOLDER.
#include <cstdlib>
#include <iostream>

#include "sample_maps.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: " << argv[0] << " FOLDER [COUNT]\n";
    return 2;
  }
  const int count = argc == 3 ? std::atoi(argv[2]) : 40;
  if (count < 0) {
    std::cerr << "COUNT must not be negative\n";
    return 2;
  }
  try {
    sample::WriteSampleMaps(argv[1], count);
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
  return 0;
}
