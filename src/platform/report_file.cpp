// Report replacement: the text goes to a temporary file in the report's
// folder, which is synced and then renamed over the report.
#include "platform/report_file.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <random>

#include "platform/file_ops.h"

namespace platform {

namespace {

using internal::FileHandle;
using internal::kNoFile;

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

std::atomic<std::size_t> g_write_limit{kNoLimit};
std::atomic<std::size_t> g_bytes_written{0};

// Writes until all is out; 0 on success, else the system's error code.
int WriteAll(FileHandle file, const char* data, std::size_t size) {
  while (size > 0) {
    std::size_t chunk = size;
    if (const std::size_t limit = g_write_limit.load(); limit != kNoLimit) {
      const std::size_t written = g_bytes_written.load();
      if (written >= limit) return internal::DiskFullError();
      chunk = std::min(chunk, limit - written);
    }
    std::size_t done = 0;
    if (const int error = internal::WriteSome(file, data, chunk, &done); error != 0) return error;
    g_bytes_written += done;
    data += done;
    size -= done;
  }
  return 0;
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
  bool committed = false;

  bool InPlace() const { return temporary.empty(); }

  Status Failure(std::string_view verb, int error) const { return FileError(verb, path, internal::ErrorText(error)); }

  Status Flush() {
    const int error = WriteAll(file, buffer.data(), buffer.size());
    buffer.clear();
    return error == 0 ? Status::Ok() : Failure("write", error);
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
  impl_->buffer.append(bytes);
  // In place, everything waits for Commit so that a failed scan leaves the old report alone.
  if (!impl_->InPlace() && impl_->buffer.size() >= kBufferSize) return impl_->Flush();
  return Status::Ok();
}

Status ReportFile::Commit() {
  Impl& impl = *impl_;
  if (impl.InPlace()) {
    if (const int error = internal::Truncate(impl.file); error != 0) return impl.Failure("write", error);
  }
  if (Status status = impl.Flush(); !status.ok()) return status;
  if (const int error = internal::Sync(impl.file); error != 0) return impl.Failure("write", error);
  const FileHandle file = impl.file;
  impl.file = kNoFile;
  if (const int error = internal::Close(file); error != 0) return impl.Failure("write", error);
  if (!impl.InPlace()) {
    if (const int error = internal::Replace(impl.temporary, impl.path); error != 0) {
      return impl.Failure("replace", error);
    }
  }
  impl.committed = true;
  return Status::Ok();
}

ScopedReportWriteLimit::ScopedReportWriteLimit(std::size_t bytes_allowed) {
  g_bytes_written = 0;
  g_write_limit = bytes_allowed;
}

ScopedReportWriteLimit::~ScopedReportWriteLimit() { g_write_limit = kNoLimit; }

}  // namespace platform
