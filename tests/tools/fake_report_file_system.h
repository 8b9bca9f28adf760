// The system's report file calls, passed on, with the faults a test sets: a
// call that fails as a full disk, a refusal or a failing device would, raises
// a signal, or takes longer.
#pragma once

#include <array>
#include <vector>

#include "platform/file_ops.h"

namespace tools {

class FakeReportFileSystem : public platform::ReportFileSystem {
 public:
  enum class Call {
    kInspect,
    kCreate,
    kKeep,
    kOpenExisting,
    kWrite,
    kReadAll,
    kRewind,
    kReserve,
    kSetLength,
    kSetMode,
    kSync,
    kClose,
    kReplace,
    kRemove,
    kKinds
  };
  struct Fault {
    Call call = Call::kWrite;
    int nth = 1;         // the call of that kind that fails, counting from 1
    int signal = 0;      // when not 0, the process raises this signal there instead of failing
    bool named = false;  // a named new file even where an unnamed one is offered
    int delay_ms = 0;    // that call first takes this much longer
    bool fails = true;   // false: after the delay, that call goes on as usual
  };
  // Starts counting calls afresh. A failing look, create, open, keep, mode
  // change, replace or remove is refused, as a folder or a file's owner may
  // refuse it; a failing write lets half the bytes out first, and a failing
  // reserve makes room for half first, as a full disk does; the others fail
  // as a failing device does.
  void SetFaults(std::vector<Fault> faults);
  // How many calls of that kind were made since.
  int Count(Call call) const { return counts_[static_cast<std::size_t>(call)]; }
  // Whether the last replace asked to be written through.
  bool write_through() const { return write_through_; }

  int Inspect(const platform::NativeString& path, platform::ExistingReport* report) const override;
  int Create(const platform::NativeString& folder, const platform::NativeString& path, bool named,
             platform::FileHandle* file, bool* vanishes) const override;
  int Keep(platform::FileHandle file, const platform::NativeString& path) const override;
  int OpenExisting(const platform::NativeString& path, platform::FileHandle* file) const override;
  int Write(platform::FileHandle file, std::string_view bytes) const override;
  int ReadAll(platform::FileHandle file, std::string* bytes) const override;
  int Rewind(platform::FileHandle file) const override;
  int Reserve(platform::FileHandle file, std::uint64_t size) const override;
  int SetLength(platform::FileHandle file, std::uint64_t size) const override;
  int SetMode(platform::FileHandle file, std::uint32_t mode) const override;
  int Sync(platform::FileHandle file) const override;
  int Close(platform::FileHandle file) const override;
  int Replace(const platform::NativeString& from, const platform::NativeString& to,
              bool write_through) const override;
  int Remove(const platform::NativeString& path) const override;
  void GuardTemporary(const platform::NativeString& path) const override { system_.GuardTemporary(path); }
  void Unguard() const override { system_.Unguard(); }
  bool IsAlreadyExists(int error) const override { return system_.IsAlreadyExists(error); }
  bool IsAccessDenied(int error) const override { return system_.IsAccessDenied(error); }
  std::string ErrorText(int error) const override { return system_.ErrorText(error); }

 private:
  // Counts the call and carries out its fault: the error it is to give, or 0.
  int Error(Call call) const;

  const platform::ReportFileSystem& system_ = platform::SystemReportFileSystem();
  std::vector<Fault> faults_;
  mutable std::array<int, static_cast<std::size_t>(Call::kKinds)> counts_ = {};
  mutable bool write_through_ = false;
};

}  // namespace tools
