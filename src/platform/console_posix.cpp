// Standard streams on POSIX: every stream is bytes.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/console.h"

namespace platform {

namespace {

// Writes all of `bytes` to `fd`; 0 or the system's error code.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void WriteError(std::string_view text) { WriteAll(STDERR_FILENO, text); }

Status WriteOutput(std::string_view bytes) {
  const int error = WriteAll(STDOUT_FILENO, bytes);
  if (error == 0) return Status::Ok();
  return Status::Error(std::string("cannot write to standard output: ") + std::strerror(error), std::strerror(error));
}

}  // namespace platform
