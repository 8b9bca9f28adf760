#include "terrain_list.h"

#include <algorithm>

#include "scan/text.h"

namespace cli {

namespace {

// A name as it is compared: without surrounding spaces, in lower case, with
// '-' and '_' as spaces.
std::string Folded(std::string_view name) {
  std::string folded(scan::TrimSpaces(name));
  for (char& c : folded) {
    if (c == '-' || c == '_') c = ' ';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The code an entry names, by its number or its name; -1 when it names none.
int CodeOf(std::string_view entry, const scan::TerrainCatalogue& catalogue) {
  const std::string folded = Folded(entry);
  const bool is_number =
      !folded.empty() && folded.size() <= 2 && std::all_of(folded.begin(), folded.end(), [](char c) {
        return c >= '0' && c <= '9';
      });
  if (is_number) {
    const int code = std::stoi(folded);
    return code < scan::kTerrainCodeCount ? code : -1;
  }
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    if (!folded.empty() && Folded(catalogue.TerrainName(code)) == folded) return code;
  }
  return -1;
}

}  // namespace

bool ParseTerrainList(std::string_view list, const scan::TerrainCatalogue& catalogue,
                      scan::TerrainSelection* selection, std::string* unknown) {
  *selection = scan::TerrainSelection::None();
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view entry = list.substr(0, comma);
    const int code = CodeOf(entry, catalogue);
    if (code < 0) {
      *unknown = std::string(entry);
      return false;
    }
    selection->SetSelected(code, true);
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

std::string TerrainListText(const scan::TerrainCatalogue& catalogue) {
  std::string text;
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    text += std::to_string(code) + " " + std::string(scan::TrimSpaces(std::string_view(catalogue.TerrainName(code))));
    text += '\n';
  }
  return text;
}

}  // namespace cli
