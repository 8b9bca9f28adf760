#include "fake_report_calls.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include "platform/file_ops.h"

namespace tools {

int FakeReportCalls::Error(Call call) const {
  const int made = ++counts_[static_cast<int>(call)];
  const auto fault =
      std::find_if(faults_.begin(), faults_.end(), [&](auto& f) { return f.call == call && f.nth == made; });
  if (fault == faults_.end()) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(fault->delay_ms));
  if (!fault->fails) return 0;
  if (fault->signal != 0) std::raise(fault->signal);
#ifdef _WIN32
  const int refused = ERROR_ACCESS_DENIED, disk_full = ERROR_DISK_FULL, device = ERROR_IO_DEVICE;
#else
  const int refused = EACCES, disk_full = ENOSPC, device = EIO;
#endif
  return call == Call::kCreate || call == Call::kReplace ? refused : call == Call::kWrite ? disk_full : device;
}

int FakeReportCalls::Create(const platform::NativeString& folder, const platform::NativeString& path,
                            platform::FileHandle* file, bool* vanishes) const {
  if (const int error = Error(Call::kCreate); error != 0) return error;
  const bool named = std::any_of(faults_.begin(), faults_.end(), [](auto& fault) { return fault.named; });
  return platform::internal::CreateTemporary(folder, path, named, file, vanishes);
}

}  // namespace tools
