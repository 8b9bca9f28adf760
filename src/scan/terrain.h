// The seventeen known terrain codes, their display names, and the user's
// choice of which of them to look for.
#pragma once

#include <array>
#include <bitset>
#include <string>

namespace scan {

inline constexpr int kTerrainCodeCount = 17;  // codes 0 to 16

// The display name of each known code, indexed by code. The report prints these.
class TerrainCatalogue {
 public:
  // The built-in names, "Clear " (with its trailing space) to "Rough", which
  // SetTerrainName may replace.
  TerrainCatalogue();

  // The display name of a known code.
  const std::string& TerrainName(int code) const { return names_.at(static_cast<std::size_t>(code)); }
  void SetTerrainName(int code, std::string name) { names_.at(static_cast<std::size_t>(code)) = std::move(name); }

 private:
  std::array<std::string, kTerrainCodeCount> names_;
};

// One on/off flag per known code; all off when constructed.
class TerrainSelection {
 public:
  static TerrainSelection All() { return TerrainSelection(std::bitset<kTerrainCodeCount>().set()); }
  static TerrainSelection None() { return TerrainSelection(); }

  TerrainSelection() = default;

  // The flag of a known code.
  bool IsSelected(int code) const { return flags_.test(static_cast<std::size_t>(code)); }
  void SetSelected(int code, bool selected) { flags_.set(static_cast<std::size_t>(code), selected); }

  bool operator==(const TerrainSelection&) const = default;

 private:
  explicit TerrainSelection(std::bitset<kTerrainCodeCount> flags) : flags_(flags) {}
  std::bitset<kTerrainCodeCount> flags_;
};

}  // namespace scan
