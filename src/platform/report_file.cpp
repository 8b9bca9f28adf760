// Report replacement: the text goes to a new file in the report's folder,
// which is synced and then put in place of the report; where that cannot be,
// the report is rewritten in place with its old bytes kept for a failure.
#include "platform/report_file.h"

#include <atomic>
#include <random>

#include "platform/file_error.h"
#include "platform/file_ops.h"
#include "platform/paths.h"

namespace platform {

namespace {

using Type = ExistingReport::EntryType;

constexpr std::size_t kBufferSize = 64 * 1024;

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
  const ReportFileSystem* files = nullptr;
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
    if (failure.ok()) failure = FileError(verb, path, files->ErrorText(error));
    return failure;
  }

  Status Flush() {
    const int error = files->Write(file, buffer);
    buffer.clear();
    return error == 0 ? Status::Ok() : Fail("write", error);
  }

  // Creates the new file beside the report, under a fresh name.
  int CreateNewFile() {
    const std::size_t slash = path.rfind(kSeparator);
    const NativeString folder = slash == NativeString::npos ? NativeString() : path.substr(0, slash + 1);
    const NativeString name = slash == NativeString::npos ? path : path.substr(slash + 1);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      temporary = folder + FromAscii(".") + name + FromAscii("." + RandomSuffix() + ".tmp");
      error = files->Create(folder, temporary, false, &file, &vanishes);
      if (error == 0) {
        if (!vanishes) SetNamed(true);
        return 0;
      }
      if (!files->IsAlreadyExists(error)) break;
    }
    return error;
  }

  void SetNamed(bool value) {
    named = value;
    if (named) {
      files->GuardTemporary(temporary);
    } else {
      files->Unguard();
    }
  }

  // Puts `bytes` in place of the report's content, through `file` open on it.
  // Room is made first; should anything fail after that, the old bytes go back.
  Status RewriteInPlace(std::string_view bytes) {
    std::string old_bytes;
    if (const int error = files->ReadAll(file, &old_bytes); error != 0) return Fail("read", error);
    int error = bytes.size() > old_bytes.size() ? files->Reserve(file, bytes.size()) : 0;
    const bool writing = error == 0;
    if (error == 0) error = files->Rewind(file);
    if (error == 0) error = files->Write(file, bytes);
    if (error == 0) error = files->SetLength(file, bytes.size());
    if (error == 0) error = files->Sync(file);
    if (error == 0) {
      error = files->Close(file);
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
    if (file == kNoFile && files->OpenExisting(path, &file) != 0) return;
    if (!rewrite || (files->Rewind(file) == 0 && files->Write(file, old_bytes) == 0)) {
      if (files->SetLength(file, old_bytes.size()) == 0) files->Sync(file);
    }
    files->Close(file);
    file = kNoFile;
  }

  // Where the folder refuses to let the new file replace the report (a sticky
  // folder, say), the report is rewritten in place with the new file's bytes.
  Status RewriteFromNewFile() {
    std::string bytes;
    int error = files->OpenExisting(temporary, &file);
    if (error == 0) {
      error = files->ReadAll(file, &bytes);
      files->Close(file);
      file = kNoFile;
    }
    files->Remove(temporary);
    SetNamed(false);
    if (error != 0) return Fail("read", error);
    if (error = files->OpenExisting(path, &file); error != 0) return Fail("write", error);
    return RewriteInPlace(bytes);
  }
};

ReportFile::ReportFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ReportFile::~ReportFile() {
  Impl& impl = *impl_;
  if (impl.file != kNoFile) impl.files->Close(impl.file);
  if (impl.named) {
    if (!impl.committed) impl.files->Remove(impl.temporary);
    impl.SetNamed(false);
  }
}

Status ReportFile::Create(const NativeString& path, std::unique_ptr<ReportFile>* report,
                          const ReportFileSystem& files) {
  std::unique_ptr<ReportFile> created(new ReportFile(std::make_unique<Impl>()));
  Impl& impl = *created->impl_;
  impl.files = &files;
  impl.path = path;
  if (const int error = files.Inspect(path, &impl.old); error != 0) {
    return FileError("create", path, files.ErrorText(error));
  }
  // A report the user may not write is theirs to keep as it is, and nothing
  // takes the place of a folder or another non-file: said before any map is read.
  if (impl.old.refusal != 0) {
    const char* verb = impl.old.type == Type::kFile ? "write" : "replace";
    return FileError(verb, path, files.ErrorText(impl.old.refusal));
  }

  int error = impl.CreateNewFile();
  const char* verb = "create";
  if (files.IsAccessDenied(error) && impl.old.type != Type::kNone) {
    // The folder takes no new file: a report there (not a link) is rewritten in place.
    verb = "replace";
    if (impl.old.type == Type::kFile) {
      verb = "write";
      error = files.OpenExisting(path, &impl.file);
      impl.in_place = error == 0;
    }
  } else if (error == 0 && impl.old.type == Type::kFile) {
    // The new report keeps the permissions of the one it replaces.
    verb = "write";
    error = files.SetMode(impl.file, impl.old.mode);
  }
  if (error != 0) return FileError(verb, path, files.ErrorText(error));
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
  if (const int error = impl.files->Sync(impl.file); error != 0) return impl.Fail("write", error);
  if (impl.vanishes) {
    if (const int error = impl.files->Keep(impl.file, impl.temporary); error != 0) return impl.Fail("write", error);
    impl.SetNamed(true);
  }
  const int close_error = impl.files->Close(impl.file);
  impl.file = kNoFile;
  if (close_error != 0) return impl.Fail("write", close_error);
  const int error = impl.files->Replace(impl.temporary, impl.path, true);
  if (impl.files->IsAccessDenied(error) && impl.old.type == Type::kFile) return impl.RewriteFromNewFile();
  if (error != 0) return impl.Fail("replace", error);
  impl.committed = true;
  impl.SetNamed(false);
  return Status::Ok();
}

}  // namespace platform
