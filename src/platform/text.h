// Text as the operating system holds it, and its conversions: to and from the
// window's UTF-8, and to the bytes the report holds.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Path and file-name text as the operating system holds it: bytes on POSIX,
// UTF-16 on Windows.
using NativeString = std::filesystem::path::string_type;
using NativeChar = NativeString::value_type;

// Native text from UTF-8 (text typed into the window).
NativeString FromUtf8(std::string_view utf8);
// UTF-8 for display; bytes that are not valid UTF-8 become U+FFFD.
std::string ToUtf8(const NativeString& text);
// Native text from plain ASCII.
NativeString FromAscii(std::string_view ascii);

// The bytes a name takes in the report: unchanged on POSIX, the ANSI code page
// on Windows (characters it cannot hold become '?').
std::string ToReportText(const NativeString& text);
// The width of a name in the report's name column: its code points on POSIX
// (each byte that is not valid UTF-8 counts as one), its UTF-16 code units on
// Windows.
std::size_t ReportTextWidth(const NativeString& text);

// What text holds control characters that would break its line.
enum class ControlSet {
  kAscii,  // bytes of any encoding: C0 controls and DEL
  kUtf8,   // UTF-8: those, and the C1 controls U+0080 to U+009F
};
// `text` with each control character of `set` as '?', so that a name keeps to one line.
std::string QuestionMarkControls(std::string text, ControlSet set);

}  // namespace platform
