// The window's controls as data: kind, text, place and size in twips, font,
// whether Tab stops on it, in keyboard (tab) order. Each toolkit builds its
// controls from this table.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "scan/program_texts.h"
#include "scan/terrain.h"

namespace window {

// The controls by the names the program has always given them; what each one
// is, where the name does not say, is said here once.
enum class Control {
  kDrive1,    // drop-down list of the drives
  kDir1,      // folder list: the drive's root, the folders down to the current one, its subfolders
  kFile1,     // list of the current folder's *.MAP files
  kCommand1,  // "Check mapfiles"
  kCommand2,  // "End Program"
  kLabel1,    // the instruction, wrapping
  kFrame1,    // group box around the check boxes
  kCheck1,    // one check box per terrain code
  kText1,     // the report-folder field
  kLabel2,    // the prompt above Text1
  kLabel3,    // the notice across the top, in the notice font
};

enum class Font { kWindow, kNotice };

struct ControlLayout {
  Control control;
  int index;  // the terrain code for kCheck1, else 0
  std::string_view text;  // the caption the control is created with
  int left, top, width, height;  // twips; a check box's place is inside Frame1
  Font font;
  bool tab_stop;  // Tab and Shift+Tab stop on it, in table order
  // What a screen reader calls the control: its caption, or a short name for
  // a list or field without one. Empty for Label3, whose text is its name.
  std::string_view name;
};

// One twip is 1/1440 inch; at 96 dots per inch 15 twips make a pixel.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidth = 7920;
inline constexpr int kClientHeight = 7110;
inline constexpr int kControlCount = 10 + scan::kTerrainCodeCount;

// The notice font: bold "MS Sans Serif" at 9.75 points (the system substitutes
// its own sans serif where it has no such font).
inline constexpr std::string_view kNoticeFontFamily = "MS Sans Serif";
inline constexpr int kNoticeFontWeight = 700;
inline constexpr double kNoticeFontPoints = 9.75;

// The caption of every message box the window shows.
using scan::kMessageCaption;

// Every control in tab order: the focus starts on the first.
const std::array<ControlLayout, kControlCount>& Form1Layout();

// `twips` in pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

// How far Dir1 scrolls sideways, in pixels, to bring a row into view: the
// row spans `left` to `right` (from its icon to the end of its name) where a
// view `width` wide now shows it. Its end comes in at the right edge unless
// that would push its start past the left edge; a row starting left of the
// view comes in at its start. A deep folder is shown whole, or from its icon on.
constexpr int Dir1ScrollShift(int left, int right, int width) {
  const int past_edge = right - width;
  return past_edge > 0 ? std::min(past_edge, left) : std::min(left, 0);
}

}  // namespace window
