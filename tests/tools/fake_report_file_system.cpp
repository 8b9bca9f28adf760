#include "fake_report_file_system.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace tools {

void FakeReportFileSystem::SetFaults(std::vector<Fault> faults) {
  faults_ = std::move(faults);
  counts_ = {};
  write_through_ = false;
}

int FakeReportFileSystem::Error(Call call) const {
  const int made = ++counts_[static_cast<std::size_t>(call)];
  const auto is_due = [&](const Fault& fault) { return fault.call == call && fault.nth == made; };
  const auto fault = std::find_if(faults_.begin(), faults_.end(), is_due);
  if (fault == faults_.end()) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(fault->delay_ms));
  if (!fault->fails) return 0;
  if (fault->signal != 0) std::raise(fault->signal);
  const bool disk_full = call == Call::kWrite || call == Call::kReserve;
  const bool device = call == Call::kReadAll || call == Call::kRewind || call == Call::kSetLength ||
                      call == Call::kSync || call == Call::kClose;
#ifdef _WIN32
  return disk_full ? ERROR_DISK_FULL : device ? ERROR_IO_DEVICE : ERROR_ACCESS_DENIED;
#else
  return disk_full ? ENOSPC : device ? EIO : EACCES;
#endif
}

int FakeReportFileSystem::Create(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
                                 bool* vanishes) const {
  const bool forced = std::any_of(faults_.begin(), faults_.end(), [](const Fault& fault) { return fault.named; });
  return Pass(Call::kCreate, [&] { return system_.Create(folder, path, named || forced, file, vanishes); });
}

int FakeReportFileSystem::Write(FileHandle file, std::string_view bytes) const {
  const int error = Error(Call::kWrite);
  if (error == 0) return system_.Write(file, bytes);
  system_.Write(file, bytes.substr(0, bytes.size() / 2));
  return error;
}

int FakeReportFileSystem::Reserve(FileHandle file, std::uint64_t size) const {
  const int error = Error(Call::kReserve);
  if (error == 0) return system_.Reserve(file, size);
  system_.Reserve(file, size / 2);
  return error;
}

// A failing close still closes the file, as the system's does.
int FakeReportFileSystem::Close(FileHandle file) const {
  const int error = Error(Call::kClose);
  const int closed = system_.Close(file);
  return error != 0 ? error : closed;
}

int FakeReportFileSystem::Replace(const NativeString& from, const NativeString& to, bool write_through) const {
  write_through_ = write_through;
  return Pass(Call::kReplace, [&] { return system_.Replace(from, to, write_through); });
}

}  // namespace tools
