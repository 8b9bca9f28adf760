// Text as the window shows it: messages that fit the screen, names that keep
// to one line of a list.
#pragma once

#include <cstddef>
#include <string>

#include "platform/text.h"

namespace window {

// `text` with every run of more than `width` characters that holds no space
// broken into lines of at most `width`, after a separator where there is one:
// message boxes wrap at spaces, and a long path would otherwise run off the screen.
std::string WrapLongWords(const std::string& text, std::size_t width);

// A file or folder name as the lists show it: UTF-8 with control characters
// as '?', so that every entry keeps to one line.
std::string ShownName(const platform::NativeString& name);

}  // namespace window
