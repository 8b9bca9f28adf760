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
  using FileHandle = platform::FileHandle;
  using NativeString = platform::NativeString;
  enum class Call { kInspect, kCreate, kKeep, kOpenExisting, kWrite, kReadAll, kRewind, kReserve, kSetLength,
                    kSetMode, kSync, kClose, kReplace, kRemove, kKinds };
  struct Fault {
    Call call = Call::kWrite;
    int nth = 1;         // the call of that kind that fails, counting from 1
    int signal = 0;      // when not 0, the process raises this signal there instead of failing
    bool named = false;  // a named new file even where an unnamed one is offered
    int delay_ms = 0;    // that call first takes this much longer
    bool fails = true;   // false: after the delay, that call goes on as usual
  };
  // Starts counting calls afresh. A failing write lets half the bytes out
  // first, and a failing reserve makes room for half, as a full disk does; a
  // failing read, rewind, length change, sync or close fails as a failing
  // device does; any other failing call is refused, as a folder or a file's
  // owner may refuse it.
  void SetFaults(std::vector<Fault> faults);
  // How many calls of that kind were made since.
  int Count(Call call) const { return counts_[static_cast<std::size_t>(call)]; }
  // Whether the last replace asked to be written through.
  bool write_through() const { return write_through_; }

  int Inspect(const NativeString& path, platform::ExistingReport* report) const override {
    return Pass(Call::kInspect, [&] { return system_.Inspect(path, report); });
  }
  int Create(const NativeString& folder, const NativeString& path, bool named, FileHandle* file,
             bool* vanishes) const override;
  int Keep(FileHandle file, const NativeString& path) const override {
    return Pass(Call::kKeep, [&] { return system_.Keep(file, path); });
  }
  int OpenExisting(const NativeString& path, FileHandle* file) const override {
    return Pass(Call::kOpenExisting, [&] { return system_.OpenExisting(path, file); });
  }
  int Write(FileHandle file, std::string_view bytes) const override;
  int ReadAll(FileHandle file, std::string* bytes) const override {
    return Pass(Call::kReadAll, [&] { return system_.ReadAll(file, bytes); });
  }
  int Rewind(FileHandle file) const override { return Pass(Call::kRewind, [&] { return system_.Rewind(file); }); }
  int Reserve(FileHandle file, std::uint64_t size) const override;
  int SetLength(FileHandle file, std::uint64_t size) const override {
    return Pass(Call::kSetLength, [&] { return system_.SetLength(file, size); });
  }
  int SetMode(FileHandle file, std::uint32_t mode) const override {
    return Pass(Call::kSetMode, [&] { return system_.SetMode(file, mode); });
  }
  int Sync(FileHandle file) const override { return Pass(Call::kSync, [&] { return system_.Sync(file); }); }
  int Close(FileHandle file) const override;
  int Replace(const NativeString& from, const NativeString& to, bool write_through) const override;
  int Remove(const NativeString& path) const override {
    return Pass(Call::kRemove, [&] { return system_.Remove(path); });
  }
  void GuardTemporary(const NativeString& path) const override { system_.GuardTemporary(path); }
  void Unguard() const override { system_.Unguard(); }
  bool IsAlreadyExists(int error) const override { return system_.IsAlreadyExists(error); }
  bool IsAccessDenied(int error) const override { return system_.IsAccessDenied(error); }
  std::string ErrorText(int error) const override { return system_.ErrorText(error); }

 private:
  // Counts the call and carries out its fault: the error it is to give, or 0.
  int Error(Call call) const;
  // The call's error, or else what the system's call gives.
  template <typename SystemCall>
  int Pass(Call call, const SystemCall& system_call) const {
    const int error = Error(call);
    return error != 0 ? error : system_call();
  }

  const platform::ReportFileSystem& system_ = platform::SystemReportFileSystem();
  std::vector<Fault> faults_;
  mutable std::array<int, static_cast<std::size_t>(Call::kKinds)> counts_ = {};
  mutable bool write_through_ = false;
};

}  // namespace tools
