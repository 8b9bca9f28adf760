// Standard streams on Windows: a console takes characters (WriteConsoleW, so
// that any name shows whatever the console's code page), a pipe or a file takes
// bytes: UTF-8 for messages, the report's own bytes on standard output.
#include <windows.h>

#include "platform/console.h"
#include "platform/windows_text.h"

namespace platform {

namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Writes all of `bytes` to `handle`; 0 or the system's error code.
DWORD WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() < (1u << 30) ? static_cast<DWORD>(bytes.size()) : (1u << 30);
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return GetLastError();
    bytes.remove_prefix(written);
  }
  return 0;
}

}  // namespace

bool ErrorIsTerminal() { return IsConsole(GetStdHandle(STD_ERROR_HANDLE)); }

void WriteError(std::string_view text) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsConsole(handle)) {
    WriteAll(handle, text);
    return;
  }
  const NativeString characters = FromUtf8(text);
  DWORD written = 0;
  WriteConsoleW(handle, characters.data(), static_cast<DWORD>(characters.size()), &written, nullptr);
}

Status WriteOutput(std::string_view bytes) {
  const DWORD error = WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
  if (error == 0) return Status::Ok();
  const std::string reason = internal::WindowsErrorText(error);
  return Status::Error("cannot write to standard output: " + reason, reason);
}

}  // namespace platform
