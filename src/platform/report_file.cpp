// Report replacement: the text goes to a new file in the report's folder,
// which is synced and then put in place of the report; where that cannot be,
// the report is rewritten in place with its old bytes kept for a failure.
#include "platform/report_file.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <optional>
#include <random>
#include <thread>

#include "platform/file_ops.h"

namespace platform {

namespace {

using internal::ExistingReport;
using internal::FileHandle;
using internal::kNoFile;
using Kind = ExistingReport::Kind;
using Call = ReportFault::Call;

constexpr std::size_t kBufferSize = 64 * 1024;

// The fault a test set, and how many calls of its kind have been made since.
std::optional<ReportFault> g_fault;
int g_fault_calls = 0;

// The error an injected fault gives this call, or 0.
int InjectedError(Call call) {
  if (!g_fault || g_fault->call != call || ++g_fault_calls != g_fault->nth) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(g_fault->delay_ms));
  if (!g_fault->fails) return 0;
  if (g_fault->signal != 0) std::raise(g_fault->signal);
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
  NativeString path;     // the report
  ExistingReport old;    // what the report's path held when the scan began
  NativeString temporary;  // the name the new file has, or takes when kept
  FileHandle file = kNoFile;  // the new file, or the report itself when rewritten in place
  bool in_place = false;
  bool vanishes = false;  // the new file goes by itself until kept
  bool named = false;     // the new file is `temporary` on disk, guarded against signals
  std::string buffer;
  Status failure;  // the first failure, which sticks
  bool committed = false;

  Status Fail(std::string_view verb, int error) {
    if (failure.ok()) failure = FileError(verb, path, internal::ErrorText(error));
    return failure;
  }

  Status Flush() {
    const int error = Write(file, buffer);
    buffer.clear();
    return error == 0 ? Status::Ok() : Fail("write", error);
  }

  // Creates the new file beside the report, under a fresh name.
  int CreateNewFile(bool force_named) {
    const std::size_t slash = path.rfind(kSeparator);
    const NativeString folder = slash == NativeString::npos ? NativeString() : path.substr(0, slash + 1);
    const NativeString name = slash == NativeString::npos ? path : path.substr(slash + 1);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      temporary = folder + FromAscii(".") + name + FromAscii("." + RandomSuffix() + ".tmp");
      error = internal::CreateTemporary(folder, temporary, force_named, &file, &vanishes);
      if (error == 0) {
        if (!vanishes) SetNamed(true);
        return 0;
      }
      if (!internal::IsAlreadyExists(error)) break;
    }
    return error;
  }

  void SetNamed(bool value) {
    named = value;
    if (named) {
      internal::GuardTemporary(temporary);
    } else {
      internal::Unguard();
    }
  }

  // Puts `bytes` in place of the report's content, through `file` open on it.
  // Room is made first; should anything fail after that, the old bytes go back.
  Status RewriteInPlace(std::string_view bytes) {
    std::string old_bytes;
    if (const int error = internal::ReadAll(file, &old_bytes); error != 0) return Fail("read", error);
    int error = bytes.size() > old_bytes.size() ? internal::Reserve(file, bytes.size()) : 0;
    const bool writing = error == 0;
    if (error == 0) error = internal::Rewind(file);
    if (error == 0) error = Write(file, bytes);
    if (error == 0) error = internal::SetLength(file, bytes.size());
    if (error == 0) error = Sync(file);
    if (error == 0) {
      error = Close(file);
      file = kNoFile;
    }
    if (error == 0) {
      committed = true;
      return Status::Ok();
    }
    Restore(old_bytes, writing);
    return Fail("write", error);
  }

  // Puts the old bytes back. Nothing here needs more room than they had.
  void Restore(const std::string& old_bytes, bool rewrite) {
    if (file == kNoFile && internal::OpenExisting(path, &file) != 0) return;
    if (!rewrite || (internal::Rewind(file) == 0 && WriteAll(file, old_bytes) == 0)) {
      if (internal::SetLength(file, old_bytes.size()) == 0) internal::Sync(file);
    }
    internal::Close(file);
    file = kNoFile;
  }

  // Where the folder refuses to let the new file replace the report (a sticky
  // folder, say), the report is rewritten in place with the new file's bytes.
  Status RewriteFromNewFile() {
    std::string bytes;
    int error = internal::OpenExisting(temporary, &file);
    if (error == 0) {
      error = internal::ReadAll(file, &bytes);
      internal::Close(file);
      file = kNoFile;
    }
    internal::Remove(temporary);
    SetNamed(false);
    if (error != 0) return Fail("read", error);
    if (error = internal::OpenExisting(path, &file); error != 0) return Fail("write", error);
    return RewriteInPlace(bytes);
  }
};

ReportFile::ReportFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ReportFile::~ReportFile() {
  Impl& impl = *impl_;
  if (impl.file != kNoFile) internal::Close(impl.file);
  if (impl.named) {
    if (!impl.committed) internal::Remove(impl.temporary);
    impl.SetNamed(false);
  }
}

Status ReportFile::Create(const NativeString& path, std::unique_ptr<ReportFile>* report) {
  std::unique_ptr<ReportFile> created(new ReportFile(std::make_unique<Impl>()));
  Impl& impl = *created->impl_;
  impl.path = path;
  if (const int error = internal::Inspect(path, &impl.old); error != 0) {
    return FileError("create", path, internal::ErrorText(error));
  }
  // A report the user may not write is theirs to keep as it is.
  if (impl.old.write_error != 0) return FileError("write", path, internal::ErrorText(impl.old.write_error));

  int error = impl.CreateNewFile(g_fault && g_fault->named);
  const char* verb = "create";
  if (internal::IsAccessDenied(error) && impl.old.kind != Kind::kNone) {
    // The folder takes no new file: a report there (not a link) is rewritten in place.
    verb = "replace";
    if (impl.old.kind == Kind::kFile) {
      verb = "write";
      error = internal::OpenExisting(path, &impl.file);
      impl.in_place = error == 0;
    }
  } else if (error == 0 && impl.old.kind == Kind::kFile) {
    // The new report keeps the permissions of the one it replaces.
    verb = "write";
    error = internal::SetMode(impl.file, impl.old.mode);
  }
  if (error != 0) return FileError(verb, path, internal::ErrorText(error));
  impl.buffer.reserve(kBufferSize);
  *report = std::move(created);
  return Status::Ok();
}

Status ReportFile::Append(std::string_view bytes) {
  Impl& impl = *impl_;
  if (!impl.failure.ok()) return impl.failure;
  impl.buffer.append(bytes);
  // In place, everything waits for Commit so that a failed scan leaves the old report alone.
  if (!impl.in_place && impl.buffer.size() >= kBufferSize) return impl.Flush();
  return Status::Ok();
}

Status ReportFile::Commit() {
  Impl& impl = *impl_;
  if (!impl.failure.ok()) return impl.failure;
  if (impl.in_place) return impl.RewriteInPlace(impl.buffer);
  if (Status status = impl.Flush(); !status.ok()) return status;
  if (const int error = Sync(impl.file); error != 0) return impl.Fail("write", error);
  if (impl.vanishes) {
    if (const int error = internal::Keep(impl.file, impl.temporary); error != 0) return impl.Fail("write", error);
    impl.SetNamed(true);
  }
  const int close_error = Close(impl.file);
  impl.file = kNoFile;
  if (close_error != 0) return impl.Fail("write", close_error);
  const int error = internal::Replace(impl.temporary, impl.path);
  if (internal::IsAccessDenied(error) && impl.old.kind == Kind::kFile) return impl.RewriteFromNewFile();
  if (error != 0) return impl.Fail("replace", error);
  impl.committed = true;
  impl.SetNamed(false);
  return Status::Ok();
}

ScopedReportFault::ScopedReportFault(const ReportFault& fault) {
  g_fault = fault;
  g_fault_calls = 0;
}

ScopedReportFault::~ScopedReportFault() { g_fault.reset(); }

}  // namespace platform
