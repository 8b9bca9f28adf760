#include "layout.h"

#include "scan/program_texts.h"

namespace window {

namespace {

// The check boxes' captions are the terrain names; the table holds views of
// this one copy.
const scan::TerrainCatalogue& BuiltInNames() {
  static const scan::TerrainCatalogue names;
  return names;
}

std::array<ControlLayout, kControlCount> MakeLayout() {
  std::array<ControlLayout, kControlCount> table{};
  std::size_t row = 0;
  // A control given no name ({}) is called by its caption.
  const auto add = [&](ControlLayout layout) {
    if (layout.name.empty()) layout.name = layout.text;
    table[row++] = layout;
  };
  add({Control::kDrive1, 0, "", 120, 1755, 2055, 315, Font::kWindow, true, scan::kDrive1Name});
  add({Control::kDir1, 0, "", 120, 2160, 2055, 4365, Font::kWindow, true, scan::kDir1Name});
  add({Control::kFile1, 0, "", 2280, 1755, 2055, 4770, Font::kWindow, true, scan::kFile1Name});
  add({Control::kCommand1, 0, scan::kCommand1Caption, 240, 6600, 1935, 495, Font::kWindow, true, {}});
  add({Control::kCommand2, 0, scan::kCommand2Caption, 2280, 6600, 1935, 495, Font::kWindow, true, {}});
  add({Control::kLabel1, 0, scan::kLabel1Text, 120, 840, 4095, 975, Font::kWindow, false, {}});
  add({Control::kFrame1, 0, scan::kFrame1Caption, 4440, 1800, 3375, 5295, Font::kWindow, false, {}});
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    add({Control::kCheck1, code, BuiltInNames().TerrainName(code), 240, 360 + 285 * code, 2295, 255, Font::kWindow,
         true, {}});
  }
  add({Control::kText1, 0, "", 4440, 1320, 3375, 405, Font::kWindow, true, scan::kText1Name});
  add({Control::kLabel2, 0, scan::kLabel2Text, 4440, 840, 3375, 495, Font::kWindow, false, {}});
  add({Control::kLabel3, 0, "", 120, 0, 7575, 735, Font::kNotice, false, {}});
  return table;
}

}  // namespace

const std::array<ControlLayout, kControlCount>& Form1Layout() {
  static const std::array<ControlLayout, kControlCount> table = MakeLayout();
  return table;
}

}  // namespace window
