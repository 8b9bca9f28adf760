// Folders of generated maps: the one ./run.sh opens and the benchmark's.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sample {

// Fills `folder` with `count` generated maps with a mix of terrain, some named
// as stock maps, some holding unknown codes; returns their names.
std::vector<std::string> WriteSampleMaps(const std::filesystem::path& folder, int count);

}  // namespace sample
