// The seventeen terrain names, by code, as users and the programs that read
// the report know them: the check boxes' captions and the report's names.
// Written out here, not taken from the catalogue they hold it to.
#pragma once

#include <array>
#include <string>

namespace tools {

inline const std::array<std::string, 17> kTerrainNames = {
    "Clear " /* with its trailing space */, "City", "Airfield", "Forest", "Bocage", "Hill", "Mountain", "Sand", "Swamp",
    "Ocean", "River", "Fortification", "Port", "Stream", "Escarpment", "Impassable River", "Rough"};

}  // namespace tools
