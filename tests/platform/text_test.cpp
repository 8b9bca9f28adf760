#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Text, ReportTextWidthCountsCodePointsAndStrayBytes) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"KLIN.MAP", 8},     {"\xC3\x9C" "bung", 5},  {"\xE5\x9C\xB0\xE5\x9B\xBE", 2},  // 2- and 3-byte sequences
      {"\xF0\x9F\x97\xBA", 1}, {"\xFF\xFE", 2},     {"\xC3", 1},                       // 4 bytes; stray; cut short
      {"\xC0\xAF", 2},     {"\xED\xA0\x80", 3},     {"\xF4\x90\x80\x80", 4}};         // overlong, surrogate, too big
  for (const auto& [text, count] : cases) EXPECT_EQ(ReportTextWidth(text), count) << text;
  EXPECT_EQ(ToUtf8("A\xFF" "B\xC3\x9C"), "A\xEF\xBF\xBD" "B\xC3\x9C");
  EXPECT_EQ(ToReportText("A\xFF" "B"), "A\xFF" "B");  // the report keeps the bytes
}

TEST(Text, ControlCharactersShowAsQuestionMarks) {
  EXPECT_EQ(QuestionMarkControls("a\tb\r\n\x7F\xC2\x85", ControlSet::kAscii), "a?b???\xC2\x85");
  EXPECT_EQ(QuestionMarkControls("a\tb\x7F\xC2\x85\xC2\xA0", ControlSet::kUtf8), "a?b??\xC2\xA0");
}

}  // namespace
}  // namespace platform
