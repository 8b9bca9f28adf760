// UTF-8 decoding shared by the POSIX text helpers.
#pragma once

#include <cstddef>

namespace platform {

// The length (1 to 4) of the well-formed UTF-8 sequence that starts at `text`,
// or 0 when the bytes there are not one (overlong forms, surrogates and code
// points past U+10FFFF included). `available` bytes may be looked at.
std::size_t Utf8SequenceLength(const unsigned char* text, std::size_t available);

}  // namespace platform
