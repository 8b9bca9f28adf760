// Small text helpers shared by the scan and the window.
#pragma once

#include <string>
#include <string_view>

namespace scan {

// `text` without leading and trailing space characters; tabs and other white
// space are kept.
template <typename Char>
std::basic_string_view<Char> TrimSpaces(std::basic_string_view<Char> text) {
  const auto first = text.find_first_not_of(Char(' '));
  if (first == std::basic_string_view<Char>::npos) return {};
  return text.substr(first, text.find_last_not_of(Char(' ')) - first + 1);
}

template <typename Char>
std::basic_string<Char> TrimSpaces(const std::basic_string<Char>& text) {
  return std::basic_string<Char>(TrimSpaces(std::basic_string_view<Char>(text)));
}

// The decimal digits of `number`, preceded by a space when it is zero or
// positive and by '-' when it is negative: 3 gives " 3", -3 gives "-3".
std::string SignedNumberText(long long number);

}  // namespace scan
