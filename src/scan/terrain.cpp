#include "scan/terrain.h"

namespace scan {

TerrainCatalogue::TerrainCatalogue()
    : names_{"Clear ", "City",      "Airfield", "Forest",        "Bocage", "Hill",
             "Mountain", "Sand",    "Swamp",    "Ocean",         "River",  "Fortification",
             "Port",   "Stream",    "Escarpment", "Impassable River", "Rough"} {}

}  // namespace scan
