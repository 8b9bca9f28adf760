#include "shown_text.h"

#include <algorithm>
#include <string_view>

namespace window {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CodePointCount(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return !IsContinuationByte(c); }));
}

}  // namespace

std::string WrapLongWords(const std::string& text, std::size_t width) {
  std::string out;
  std::size_t piece = 0;  // where in `out` the current run without a space starts
  std::size_t count = 0;  // its characters
  std::size_t after_separator = std::string::npos;  // just past its last separator
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    while (i + length < text.size() && length < 4 && IsContinuationByte(text[i + length])) ++length;
    const std::string_view character(text.data() + i, length);
    i += length;
    if (character == " " || character == "\r" || character == "\n") {
      out += character;
      piece = out.size();
      count = 0;
      after_separator = std::string::npos;
      continue;
    }
    if (count == width) {
      // After the last separator, unless that would leave the line less than half full.
      const bool at_separator = after_separator != std::string::npos &&
                                CodePointCount(std::string_view(out).substr(piece, after_separator - piece)) >= width / 2;
      const std::size_t at = at_separator ? after_separator : out.size();
      out.insert(at, "\r\n");
      piece = at + 2;
      count = CodePointCount(std::string_view(out).substr(piece));
      after_separator = std::string::npos;
    }
    out += character;
    ++count;
    if (character == "/" || character == "\\") after_separator = out.size();
  }
  return out;
}

std::string ShownName(const platform::NativeString& name) {
  // Most names are printable ASCII, which shows as it is.
  if (std::all_of(name.begin(), name.end(), [](platform::NativeChar c) { return c >= 0x20 && c < 0x7F; })) {
    return std::string(name.begin(), name.end());
  }
  return platform::QuestionMarkControls(platform::ToUtf8(name), platform::ControlSet::kUtf8);
}

}  // namespace window
