#include "platform/text.h"

namespace platform {

std::string QuestionMarkControls(std::string text, ControlSet set) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      text[i] = '?';
    } else if (set == ControlSet::kUtf8 && byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      text.replace(i, 2, "?");  // U+0080..U+009F
    }
  }
  return text;
}

}  // namespace platform
