#include "scan/terrain.h"

#include <gtest/gtest.h>

#include "terrain_names.h"

namespace scan {
namespace {

TEST(TerrainCatalogue, NamesEachCodeAsUsersKnowIt) {
  const TerrainCatalogue catalogue;
  for (std::size_t code = 0; code < tools::kTerrainNames.size(); ++code) {
    EXPECT_EQ(catalogue.TerrainName(static_cast<int>(code)), tools::kTerrainNames[code]) << code;
  }
}

}  // namespace
}  // namespace scan
