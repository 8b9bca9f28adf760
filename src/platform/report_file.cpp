// Report replacement: the text goes to a temporary file in the report's
// folder, which is synced and then renamed over the report.
#include "platform/report_file.h"

#include <atomic>
#include <optional>
#include <random>

#include "platform/file_ops.h"

namespace platform {

namespace {

using internal::FileHandle;
using internal::kNoFile;
using Call = ReportFault::Call;

constexpr std::size_t kBufferSize = 64 * 1024;

// The fault a test set, and how many calls of its kind have been made since.
std::optional<ReportFault> g_fault;
int g_fault_calls = 0;

// The error an injected fault gives this call, or 0.
int InjectedError(Call call) {
  if (!g_fault || g_fault->call != call || ++g_fault_calls != g_fault->nth) return 0;
  return call == Call::kWrite ? internal::DiskFullError() : internal::DeviceError();
}

// Writes until all is out; 0 on success, else the system's error code.
int WriteAll(FileHandle file, std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t done = 0;
    if (const int error = internal::WriteSome(file, bytes.data(), bytes.size(), &done); error != 0) return error;
    bytes.remove_prefix(done);
  }
  return 0;
}

// The report's own write, sync and close, where a test's fault can strike.
int Write(FileHandle file, std::string_view bytes) {
  const int error = InjectedError(Call::kWrite);
  if (error == 0) return WriteAll(file, bytes);
  WriteAll(file, bytes.substr(0, bytes.size() / 2));  // as a full disk does, part goes out first
  return error;
}

int Sync(FileHandle file) {
  const int error = InjectedError(Call::kSync);
  return error != 0 ? error : internal::Sync(file);
}

int Close(FileHandle file) {
  const int injected = InjectedError(Call::kClose);
  const int error = internal::Close(file);
  return injected != 0 ? injected : error;
}

std::string RandomSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  std::random_device device;
  const std::uint64_t value = (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
                              (counter++ * 0x9E3779B97F4A7C15ull);
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (int shift = 0; shift < 48; shift += 4) text += kHex[(value >> shift) & 0xF];
  return text;
}

}  // namespace

struct ReportFile::Impl {
  NativeString path;       // the report
  NativeString temporary;  // empty when the report is rewritten in place
  FileHandle file = kNoFile;
  std::string buffer;
  Status failure;  // the first failure, which sticks
  bool committed = false;

  bool InPlace() const { return temporary.empty(); }

  Status Fail(std::string_view verb, int error) {
    if (failure.ok()) failure = FileError(verb, path, internal::ErrorText(error));
    return failure;
  }

  Status Flush() {
    const int error = Write(file, buffer);
    buffer.clear();
    return error == 0 ? Status::Ok() : Fail("write", error);
  }
};

ReportFile::ReportFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ReportFile::~ReportFile() {
  if (impl_->file != kNoFile) internal::Close(impl_->file);
  if (!impl_->committed && !impl_->InPlace()) internal::Remove(impl_->temporary);
}

Status ReportFile::Create(const NativeString& path, std::unique_ptr<ReportFile>* report) {
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  const std::size_t slash = path.rfind(kSeparator);
  const NativeString folder = slash == NativeString::npos ? NativeString() : path.substr(0, slash + 1);
  const NativeString name = slash == NativeString::npos ? path : path.substr(slash + 1);

  int error = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const NativeString temporary = folder + FromAscii(".") + name + FromAscii("." + RandomSuffix() + ".tmp");
    error = internal::CreateNewFile(temporary, &impl->file);
    if (error == 0) {
      impl->temporary = temporary;
      break;
    }
    if (!internal::IsAlreadyExists(error)) break;
  }
  // A folder that takes no new file: an existing, writable report is rewritten in place.
  if (error != 0 && !(internal::IsAccessDenied(error) && internal::OpenForWriting(path, &impl->file) == 0)) {
    return FileError("create", path, internal::ErrorText(error));
  }
  impl->buffer.reserve(kBufferSize);
  report->reset(new ReportFile(std::move(impl)));
  return Status::Ok();
}

Status ReportFile::Append(std::string_view bytes) {
  if (!impl_->failure.ok()) return impl_->failure;
  impl_->buffer.append(bytes);
  // In place, everything waits for Commit so that a failed scan leaves the old report alone.
  if (!impl_->InPlace() && impl_->buffer.size() >= kBufferSize) return impl_->Flush();
  return Status::Ok();
}

Status ReportFile::Commit() {
  Impl& impl = *impl_;
  if (!impl.failure.ok()) return impl.failure;
  if (impl.InPlace()) {
    if (const int error = internal::Truncate(impl.file); error != 0) return impl.Fail("write", error);
  }
  if (Status status = impl.Flush(); !status.ok()) return status;
  if (const int error = Sync(impl.file); error != 0) return impl.Fail("write", error);
  const int close_error = Close(impl.file);
  impl.file = kNoFile;
  if (close_error != 0) return impl.Fail("write", close_error);
  if (!impl.InPlace()) {
    if (const int error = internal::Replace(impl.temporary, impl.path); error != 0) return impl.Fail("replace", error);
  }
  impl.committed = true;
  return Status::Ok();
}

ScopedReportFault::ScopedReportFault(const ReportFault& fault) {
  g_fault = fault;
  g_fault_calls = 0;
}

ScopedReportFault::~ScopedReportFault() { g_fault.reset(); }

}  // namespace platform
