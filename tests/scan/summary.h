// A map summary written as the codes it holds.
#pragma once

#include <initializer_list>

#include "scan/map_reader.h"

namespace scan {

inline MapSummary Summary(std::initializer_list<int> found, bool unknown = false) {
  MapSummary summary;
  for (int code : found) summary.found.set(static_cast<std::size_t>(code));
  summary.unknown = unknown;
  return summary;
}

}  // namespace scan
