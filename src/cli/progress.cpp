#include "progress.h"

#include "platform/console.h"

namespace cli {

namespace {

// "12,345": digits in groups of three.
std::string GroupedNumber(std::size_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, 1, ',');
  return digits;
}

}  // namespace

std::string ProgressText(std::size_t done, std::size_t total) {
  return "Reading maps: " + GroupedNumber(done) + " of " + GroupedNumber(total);
}

ProgressLine::ProgressLine(std::size_t total, bool shown)
    : total_(total), shown_(shown), next_draw_(std::chrono::steady_clock::now() + kInterval) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(std::size_t done) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  if (now < next_draw_) return;
  next_draw_ = now + kInterval;
  const std::string text = ProgressText(done, total_);
  // Spaces over what is left of a longer line before.
  const std::size_t padding = drawn_length_ > text.size() ? drawn_length_ - text.size() : 0;
  platform::WriteError("\r" + text + std::string(padding, ' '));
  drawn_length_ = text.size() + padding;
}

void ProgressLine::Message(std::string_view message) {
  std::lock_guard lock(mutex_);
  ClearLocked();
  platform::WriteError(std::string(message) + "\n");
}

void ProgressLine::Clear() {
  std::lock_guard lock(mutex_);
  ClearLocked();
}

void ProgressLine::ClearLocked() {
  if (drawn_length_ == 0) return;
  platform::WriteError("\r" + std::string(drawn_length_, ' ') + "\r");
  drawn_length_ = 0;
}

}  // namespace cli
