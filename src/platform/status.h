// The outcome of an operation that can fail: success, or a message that names
// what failed and why, ready to show to the user.
#pragma once

#include <string>
#include <utility>

namespace platform {

class Status {
 public:
  Status() = default;  // success

  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  // The message of a failure, e.g. `cannot open "/maps/KLIN.MAP": No such file or directory`.
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace platform
