#include "platform/utf8.h"

namespace platform {

std::size_t Utf8SequenceLength(const unsigned char* text, std::size_t available) {
  if (available == 0) return 0;
  const unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80;  // bounds of the second byte, which rule out
  unsigned char high = 0xBF;  // overlong forms, surrogates and values past U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (available < length) return 0;
  if (text[1] < low || text[1] > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (text[i] < 0x80 || text[i] > 0xBF) return 0;
  }
  return length;
}

}  // namespace platform
