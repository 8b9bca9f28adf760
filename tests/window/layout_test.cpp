// The window's controls as users have always met them, written out: both
// views are built from the layout table and checked against it, and this
// holds the table itself.
#include "layout.h"

#include <gtest/gtest.h>

#include <tuple>

#include "terrain_names.h"

namespace window {
namespace {

// A control in tab order: its caption, place and size in twips (a check
// box's inside Frame1), whether Tab stops on it, and what screen readers call it.
using Row = std::tuple<Control, int, std::string, int, int, int, int, bool, std::string>;

TEST(Form1Layout, HoldsEachControlsCaptionPlaceTabStopAndName) {
  const std::string label1 =
      "Select the folder where your *.MAP fiels are located and press the \"Check mapfiles\" button. A report will "
      "be saved in the folder you type in the textbox to the right as \"Groundstyles.txt\"";
  const std::string frame1 = "Search only for these groundstyles";
  const std::string label2 = "Type in the name of the folder you want the report saved in:";
  std::vector<Row> expected = {
      Row(Control::kDrive1, 0, "", 120, 1755, 2055, 315, true, "Drive"),
      Row(Control::kDir1, 0, "", 120, 2160, 2055, 4365, true, "Folders"),
      Row(Control::kFile1, 0, "", 2280, 1755, 2055, 4770, true, "Map files"),
      Row(Control::kCommand1, 0, "Check mapfiles", 240, 6600, 1935, 495, true, "Check mapfiles"),
      Row(Control::kCommand2, 0, "End Program", 2280, 6600, 1935, 495, true, "End Program"),
      Row(Control::kLabel1, 0, label1, 120, 840, 4095, 975, false, label1),
      Row(Control::kFrame1, 0, frame1, 4440, 1800, 3375, 5295, false, frame1),
  };
  for (int code = 0; code < 17; ++code) {
    const std::string& name = tools::kTerrainNames[static_cast<std::size_t>(code)];
    expected.emplace_back(Control::kCheck1, code, name, 240, 360 + 285 * code, 2295, 255, true, name);
  }
  expected.emplace_back(Control::kText1, 0, "", 4440, 1320, 3375, 405, true, "Report folder");
  expected.emplace_back(Control::kLabel2, 0, label2, 4440, 840, 3375, 495, false, label2);
  expected.emplace_back(Control::kLabel3, 0, "", 120, 0, 7575, 735, false, "");  // its text, the notice, is its name
  std::vector<Row> table;
  for (const ControlLayout& c : Form1Layout()) {
    table.emplace_back(c.control, c.index, c.text, c.left, c.top, c.width, c.height, c.tab_stop, c.name);
    EXPECT_EQ(c.font, c.control == Control::kLabel3 ? Font::kNotice : Font::kWindow);
  }
  EXPECT_EQ(table, expected);
  EXPECT_EQ(kClientWidth, 7920);
  EXPECT_EQ(kClientHeight, 7110);
  EXPECT_EQ(kNoticeFontFamily, "MS Sans Serif");
  EXPECT_EQ(kNoticeFontWeight, 700);
  EXPECT_EQ(kNoticeFontPoints, 9.75);
  EXPECT_EQ(kMessageCaption, "Groundstyles");
}

}  // namespace
}  // namespace window
