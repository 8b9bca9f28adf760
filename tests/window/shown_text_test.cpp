#include "shown_text.h"

#include <gtest/gtest.h>

namespace window {
namespace {

TEST(ShownText, LongWordsWrapAndNamesKeepToOneLine) {
  EXPECT_EQ(WrapLongWords("cannot open \"/" + std::string(30, 'a') + "/" + std::string(70, 'b') + "/c.MAP\": gone", 40),
            "cannot open \"/" + std::string(30, 'a') + "/\r\n" + std::string(40, 'b') + "\r\n" + std::string(30, 'b') +
                "/c.MAP\": gone");
  EXPECT_EQ(WrapLongWords("/" + std::string(50, 'x'), 40), "/" + std::string(39, 'x') + "\r\n" + std::string(11, 'x'));
  EXPECT_EQ(WrapLongWords("\xC3\x9C\xC3\x9C\xC3\x9C", 2), "\xC3\x9C\xC3\x9C\r\n\xC3\x9C");  // characters, not bytes

  EXPECT_EQ(ShownName(platform::FromUtf8("NEW\nLINE\x7F\xC2\x85.MAP")), "NEW?LINE??.MAP");
#ifndef _WIN32
  EXPECT_EQ(ShownName("\xE9t\xE9.MAP"), "\xEF\xBF\xBDt\xEF\xBF\xBD.MAP");
#endif
}

}  // namespace
}  // namespace window
