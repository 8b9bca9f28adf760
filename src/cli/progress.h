// What standard error shows while a scan runs: one line that counts the maps
// read, redrawn in place, and the messages that the scan gives meanwhile.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace cli {

// "Reading maps: 12,345 of 20,000".
std::string ProgressText(std::size_t done, std::size_t total);

class ProgressLine {
 public:
  // Shows progress only when `shown`; then it starts once the scan has run
  // for kInterval and is redrawn at most once every kInterval.
  ProgressLine(std::size_t total, bool shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  static constexpr std::chrono::milliseconds kInterval{100};

  // `done` maps have been read; from any thread.
  void Update(std::size_t done);
  // Writes one line of UTF-8 `message` to standard error, above the progress line.
  void Message(std::string_view message);
  // Takes the progress line away.
  void Clear();

 private:
  void ClearLocked();

  const std::size_t total_;
  const bool shown_;
  std::mutex mutex_;
  std::chrono::steady_clock::time_point next_draw_;
  std::size_t drawn_length_ = 0;  // of the line on the screen, 0 when none is
};

}  // namespace cli
