// Text on Windows: names are UTF-16, and reach the report in the ANSI code page.
#include <windows.h>

#include "platform/text.h"

namespace platform {

namespace {

std::string ToCodePage(UINT code_page, DWORD flags, const NativeString& text) {
  if (text.empty()) return {};
  const int wide_length = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(code_page, flags, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), wide_length, out.data(), length, nullptr, nullptr);
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

std::string ToUtf8(const NativeString& text) { return ToCodePage(CP_UTF8, 0, text); }

// Characters the code page cannot hold become '?', which no file name holds,
// rather than a look-alike ("best fit": U+03A9 as O), which would name another file.
// A UTF-8 code page holds every character and takes no flags.
std::string ToReportText(const NativeString& text) {
  return ToCodePage(CP_ACP, GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text);
}

std::size_t ReportTextWidth(const NativeString& text) { return text.size(); }

}  // namespace platform
