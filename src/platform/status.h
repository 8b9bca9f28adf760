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
  // `reason`, when given, is the system's reason alone, without what failed.
  static Status Error(std::string message, std::string reason = {}) {
    return Status(std::move(message), std::move(reason));
  }

  bool ok() const { return !failed_; }
  // The message of a failure, e.g. `cannot open "/maps/KLIN.MAP": No such file or directory`.
  const std::string& message() const { return message_; }
  // The system's reason of a file error, e.g. `No such file or directory`; else empty.
  const std::string& reason() const { return reason_; }

 private:
  Status(std::string message, std::string reason)
      : failed_(true), message_(std::move(message)), reason_(std::move(reason)) {}

  bool failed_ = false;
  std::string message_;
  std::string reason_;
};

}  // namespace platform
