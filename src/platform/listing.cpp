#include "platform/listing.h"

#include <algorithm>

namespace platform {

namespace {

NativeChar FoldCase(NativeChar c) { return c >= 'a' && c <= 'z' ? NativeChar(c - 'a' + 'A') : c; }

}  // namespace

bool MatchesMapPattern(const NativeString& name) {
  static constexpr char kSuffix[] = ".MAP";
  constexpr std::size_t kLength = sizeof kSuffix - 1;
  return name.size() >= kLength &&
         std::equal(name.end() - kLength, name.end(), kSuffix,
                    [](NativeChar c, char s) { return FoldCase(c) == NativeChar(s); });
}

bool NameLess(const NativeString& a, const NativeString& b) {
  const auto folded_less = [](NativeChar x, NativeChar y) {
    // Compare as unsigned so that bytes above 0x7F sort after ASCII.
    using Unsigned = std::make_unsigned_t<NativeChar>;
    return Unsigned(FoldCase(x)) < Unsigned(FoldCase(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded_less)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded_less)) return false;
  using Unsigned = std::make_unsigned_t<NativeChar>;
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](NativeChar x, NativeChar y) { return Unsigned(x) < Unsigned(y); });
}

}  // namespace platform
