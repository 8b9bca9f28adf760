#include "scan/text.h"

#include <gtest/gtest.h>

namespace scan {
namespace {

TEST(Text, TrimsSpacesOnlyAndWritesNumbersWithASignPosition) {
  EXPECT_EQ(TrimSpaces(std::string("  D:\\Reports  ")), "D:\\Reports");
  for (const std::string kept : {"\t a b \t", "\r\n a \n", "\v\f"}) EXPECT_EQ(TrimSpaces(kept), kept);
  EXPECT_EQ(TrimSpaces(std::string("    ")), "");
  EXPECT_EQ(SignedNumberText(0), " 0");
  EXPECT_EQ(SignedNumberText(40000), " 40000");
  EXPECT_EQ(SignedNumberText(-7), "-7");
}

}  // namespace
}  // namespace scan
