// The system's report file calls, with the faults a test sets: a call that
// fails as a full disk or a failing device would, raises a signal, or takes longer.
#pragma once

#include <array>
#include <vector>

#include "platform/report_file.h"

namespace tools {

class FakeReportCalls : public platform::ReportFileCalls {
 public:
  enum class Call { kCreate, kWrite, kSync, kClose, kReplace };
  struct Fault {
    Call call = Call::kWrite;
    int nth = 1;         // the call of that kind that fails, counting from 1
    int signal = 0;      // when not 0, the process raises this signal there instead of failing
    bool named = false;  // a named new file even where an unnamed one is offered
    int delay_ms = 0;    // that call first takes this much longer
    bool fails = true;   // false: after the delay, that call goes on as usual
  };
  // Starts counting calls afresh. A failing create or replace is refused, as a
  // folder may refuse it; a failing write lets half the bytes out first.
  void SetFaults(std::vector<Fault> faults) { faults_ = std::move(faults), counts_ = {}, write_through_ = false; }
  // How many calls of that kind were made since.
  int Count(Call call) const { return counts_[static_cast<int>(call)]; }
  // Whether the last replace asked to be written through.
  bool write_through() const { return write_through_; }

  int Create(const platform::NativeString& folder, const platform::NativeString& path, platform::FileHandle* file,
             bool* vanishes) const override;
  int Write(platform::FileHandle file, std::string_view bytes) const override {
    const int error = Error(Call::kWrite);
    return error != 0 ? (System().Write(file, bytes.substr(0, bytes.size() / 2)), error) : System().Write(file, bytes);
  }
  int Sync(platform::FileHandle file) const override {
    const int error = Error(Call::kSync);
    return error != 0 ? error : System().Sync(file);
  }
  int Close(platform::FileHandle file) const override {
    const int error = Error(Call::kClose), closed = System().Close(file);
    return error != 0 ? error : closed;
  }
  int Replace(const platform::NativeString& from, const platform::NativeString& to,
              bool write_through) const override {
    const int error = Error(Call::kReplace);
    write_through_ = write_through;
    return error != 0 ? error : System().Replace(from, to, write_through);
  }

 private:
  // The error this call is to give, or 0.
  int Error(Call call) const;
  static const platform::ReportFileCalls& System() { return platform::SystemReportFileCalls(); }

  std::vector<Fault> faults_;
  mutable std::array<int, 5> counts_ = {};
  mutable bool write_through_ = false;
};

}  // namespace tools
