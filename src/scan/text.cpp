#include "scan/text.h"

namespace scan {

std::string SignedNumberText(long long number) {
  if (number < 0) return std::to_string(number);
  return " " + std::to_string(number);
}

}  // namespace scan
