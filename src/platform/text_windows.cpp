// Text on Windows: names are UTF-16, and reach the report in the ANSI code page.
#include <windows.h>

#include "platform/text.h"

namespace platform {

namespace {

std::string ToCodePage(UINT code_page, const NativeString& text) {
  if (text.empty()) return {};
  const int wide_length = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(code_page, 0, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), wide_length, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

NativeString FromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int narrow_length = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), narrow_length, nullptr, 0);
  NativeString out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), narrow_length, out.data(), length);
  return out;
}

NativeString FromAscii(std::string_view ascii) { return NativeString(ascii.begin(), ascii.end()); }

std::string ToUtf8(const NativeString& text) { return ToCodePage(CP_UTF8, text); }

// The system's own conversion: characters the code page cannot hold become '?'.
std::string ToReportText(const NativeString& text) { return ToCodePage(CP_ACP, text); }

std::size_t ReportTextWidth(const NativeString& text) { return text.size(); }

}  // namespace platform
