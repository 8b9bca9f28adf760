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

namespace {

using Call = FakeReportFileSystem::Call;

#ifdef _WIN32
constexpr int kRefused = ERROR_ACCESS_DENIED;
constexpr int kDiskFull = ERROR_DISK_FULL;
constexpr int kDeviceFails = ERROR_IO_DEVICE;
#else
constexpr int kRefused = EACCES;
constexpr int kDiskFull = ENOSPC;
constexpr int kDeviceFails = EIO;
#endif

// The error the system gives when a call of that kind fails.
int SystemError(Call call) {
  switch (call) {
    case Call::kWrite:
    case Call::kReserve:
      return kDiskFull;
    case Call::kReadAll:
    case Call::kRewind:
    case Call::kSetLength:
    case Call::kSync:
    case Call::kClose:
      return kDeviceFails;
    default:
      return kRefused;
  }
}

}  // namespace

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
  return SystemError(call);
}

int FakeReportFileSystem::Inspect(const platform::NativeString& path, platform::ExistingReport* report) const {
  const int error = Error(Call::kInspect);
  return error != 0 ? error : system_.Inspect(path, report);
}

int FakeReportFileSystem::Create(const platform::NativeString& folder, const platform::NativeString& path,
                                 bool named, platform::FileHandle* file, bool* vanishes) const {
  if (const int error = Error(Call::kCreate); error != 0) return error;
  const bool forced = std::any_of(faults_.begin(), faults_.end(), [](const Fault& fault) { return fault.named; });
  return system_.Create(folder, path, named || forced, file, vanishes);
}

int FakeReportFileSystem::Keep(platform::FileHandle file, const platform::NativeString& path) const {
  const int error = Error(Call::kKeep);
  return error != 0 ? error : system_.Keep(file, path);
}

int FakeReportFileSystem::OpenExisting(const platform::NativeString& path, platform::FileHandle* file) const {
  const int error = Error(Call::kOpenExisting);
  return error != 0 ? error : system_.OpenExisting(path, file);
}

int FakeReportFileSystem::Write(platform::FileHandle file, std::string_view bytes) const {
  const int error = Error(Call::kWrite);
  if (error == 0) return system_.Write(file, bytes);
  system_.Write(file, bytes.substr(0, bytes.size() / 2));
  return error;
}

int FakeReportFileSystem::ReadAll(platform::FileHandle file, std::string* bytes) const {
  const int error = Error(Call::kReadAll);
  return error != 0 ? error : system_.ReadAll(file, bytes);
}

int FakeReportFileSystem::Rewind(platform::FileHandle file) const {
  const int error = Error(Call::kRewind);
  return error != 0 ? error : system_.Rewind(file);
}

int FakeReportFileSystem::Reserve(platform::FileHandle file, std::uint64_t size) const {
  const int error = Error(Call::kReserve);
  if (error == 0) return system_.Reserve(file, size);
  system_.Reserve(file, size / 2);
  return error;
}

int FakeReportFileSystem::SetLength(platform::FileHandle file, std::uint64_t size) const {
  const int error = Error(Call::kSetLength);
  return error != 0 ? error : system_.SetLength(file, size);
}

int FakeReportFileSystem::SetMode(platform::FileHandle file, std::uint32_t mode) const {
  const int error = Error(Call::kSetMode);
  return error != 0 ? error : system_.SetMode(file, mode);
}

int FakeReportFileSystem::Sync(platform::FileHandle file) const {
  const int error = Error(Call::kSync);
  return error != 0 ? error : system_.Sync(file);
}

// A failing close still closes the file, as the system's does.
int FakeReportFileSystem::Close(platform::FileHandle file) const {
  const int error = Error(Call::kClose);
  const int closed = system_.Close(file);
  return error != 0 ? error : closed;
}

int FakeReportFileSystem::Replace(const platform::NativeString& from, const platform::NativeString& to,
                                  bool write_through) const {
  const int error = Error(Call::kReplace);
  write_through_ = write_through;
  return error != 0 ? error : system_.Replace(from, to, write_through);
}

int FakeReportFileSystem::Remove(const platform::NativeString& path) const {
  const int error = Error(Call::kRemove);
  return error != 0 ? error : system_.Remove(path);
}

}  // namespace tools
