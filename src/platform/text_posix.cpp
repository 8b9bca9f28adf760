// Text on POSIX: names are bytes, shown as UTF-8 where they are, and reach the
// report byte for byte.
#include "platform/text.h"
#include "platform/utf8.h"

namespace platform {

namespace {

const unsigned char* Bytes(const NativeString& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

NativeString FromUtf8(std::string_view utf8) { return NativeString(utf8); }

NativeString FromAscii(std::string_view ascii) { return NativeString(ascii); }

std::string ToUtf8(const NativeString& text) {
  std::string out;
  out.reserve(text.size());
  const unsigned char* bytes = Bytes(text);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string ToReportText(const NativeString& text) { return text; }

std::size_t ReportTextWidth(const NativeString& text) {
  std::size_t count = 0;
  const unsigned char* bytes = Bytes(text);
  for (std::size_t i = 0; i < text.size(); ++count) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    i += length == 0 ? 1 : length;
  }
  return count;
}

}  // namespace platform
