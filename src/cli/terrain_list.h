// The terrain types as the command line names them.
#pragma once

#include <string>
#include <string_view>

#include "scan/terrain.h"

namespace cli {

// Selects the terrain types that `list` names, and only those: a
// comma-separated list of the names the window shows (any case, surrounding
// spaces ignored, '-' or '_' for a space) or of codes 0-16. Returns false,
// with the entry in `*unknown`, when an entry names none.
bool ParseTerrainList(std::string_view list, const scan::TerrainCatalogue& catalogue,
                      scan::TerrainSelection* selection, std::string* unknown);

// The 17 codes and names, one a line: "15 Impassable River".
std::string TerrainListText(const scan::TerrainCatalogue& catalogue);

}  // namespace cli
