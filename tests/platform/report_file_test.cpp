#include "platform/report_file.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include "ordinary_user.h"
#endif

#include <csignal>
#include <functional>

#include "fake_report_file_system.h"
#include "map_writer.h"

namespace {

namespace fs = std::filesystem;
using Call = tools::FakeReportFileSystem::Call;
using Fault = tools::FakeReportFileSystem::Fault;

constexpr std::size_t kLarge = 200 * 1024, kChunk = 1000;  // several of the report's writes; one append

// What an ordinary user meets, for real even when the tests run as root: each
// failure names the report and keeps the earlier one byte for byte and mode
// for mode, with no new file beside it, and writes nothing through a link; a
// report counts as written only once synced, and keeps the old one's mode.
// Ended by a signal while written, it leaves no file behind either: the new
// file has no name yet where the system offers that, else it goes with the signal.
TEST(ReportFile, ReplacedWholeOrTheEarlierReportKept) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child is this process, in this folder
  const tools::TempFolder temp;
#ifdef _WIN32
  // A death test's child is this program started again: both use one folder.
  const fs::path folder = fs::temp_directory_path() / "groundstyles-report-test";
#else
  const fs::path folder = temp.path() / "reports";
#endif
  const fs::path report = folder / "GroundStyles.txt", notes = temp.path() / "notes.txt";
  fs::create_directory(folder);
  tools::FakeReportFileSystem calls;
  // Writes a report of `size` bytes 'n' in short appends, doing `during` before it commits;
  // a failed append must fail the commit too.
  const auto write = [&](std::size_t size, const std::function<void()>& during = {}) {
    std::unique_ptr<platform::ReportFile> file;
    if (auto status = platform::ReportFile::Create(report.native(), &file, calls); !status.ok()) return status;
    for (std::size_t at = 0; at < size; at += kChunk) file->Append(std::string(std::min(size - at, kChunk), 'n'));
    if (during) during();
    return file->Commit();
  };
  const auto entries = [&] { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); };
  const std::string cannot_write = "cannot write \"" + report.string() + "\": ", synced = "synced ";
  const Fault no_new_file{Call::kCreate}, refused_replace{Call::kReplace};  // as folders refuse them
  const auto mode = [](const fs::path& path, int bits) {
    return [&path, bits] { fs::permissions(path, fs::perms(bits)); };
  };
  struct Case {
    const char* what;
    std::vector<Fault> faults;
    std::size_t old_size, new_size;  // old_size 0: no earlier report
    std::string outcome;             // how the error starts, or synced and the syncs made
    std::function<void()> arrange = {}, during = {};
  };
  std::vector<Case> cases = {
      {"a new report", {}, 0, 100, synced + "1"},
      {"a larger report over several writes", {}, 1000, kLarge, synced + "1"},
      {"a named new file", {{.named = true, .fails = false}}, 10, kLarge, synced + "1"},
      {"the second write fails", {{.nth = 2, .named = true}}, 10, kLarge, cannot_write},
      {"the one write, at the end, fails", {{}}, 10, 100, cannot_write},
      {"the sync fails", {{Call::kSync}}, 10, 100, cannot_write},
      {"the close fails", {{Call::kClose}}, 10, 100, cannot_write},
      {"a read-only report", {}, 10, 100, cannot_write, mode(report, 0444)},
      {"no report, the folder takes no new file", {no_new_file}, 0, 100, "cannot create \""},
      {"in place, a large report", {no_new_file}, 10, kLarge, synced + "1"},
      {"in place, shorter than the old report", {no_new_file}, kLarge, 100, synced + "1"},
      {"in place, the write fails", {no_new_file, {}}, 1000, kLarge, cannot_write},
      {"in place, the sync fails", {no_new_file, {Call::kSync}}, kLarge, 100, cannot_write},
      {"in place, the close fails", {no_new_file, {Call::kClose}}, kLarge, 100, cannot_write},
      {"replacement refused: rewritten in place", {refused_replace}, 10, kLarge, synced + "2"},
      {"replacement refused, then the write fails", {refused_replace, {.nth = 2}}, kLarge, 100, cannot_write},
      {"the report is a folder", {}, 10, 100, "cannot replace \"",
       [&] { fs::remove(report), fs::create_directory(report); }},
      {"SIGTERM, a named new file", {{.nth = 2, .signal = SIGTERM, .named = true}}, 10, kLarge, "ended"},
  };
#ifdef _WIN32
  std::shared_ptr<void> holder;  // another program's, letting others write but not delete
  cases.push_back({"a report held open: rewritten in place", {}, 10, 100, synced + "2", [&] {
                     holder.reset(CreateFileW(report.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
                   }});
#else  // wine makes no links
  tools::GiveToOrdinaryUser(temp.path());
  const auto link = [&] { fs::remove(report), fs::create_symlink(notes, report); };
  cases.push_back({"the report is a link: replaced", {}, 10, 100, synced + "1", link});
  cases.push_back({"the folder takes no new file, the report is a link", {no_new_file}, 10, 100, "cannot replace \"",
                   link});
  cases.push_back({"replacement refused, a link swapped in", {refused_replace}, 10, 100, cannot_write, {}, link});
  if (const int unnamed = open(folder.c_str(), O_TMPFILE | O_RDWR, 0600); unnamed >= 0) {
    close(unnamed);
    cases.push_back({"SIGKILL", {{.nth = 2, .signal = SIGKILL}}, 10, kLarge, "ended"});
  }
  cases.push_back({"the folder takes no new file: in place", {}, 10, kLarge, synced + "1", mode(folder, 0555)});
  // Another user's (root's) folder and report, which the folder keeps from being replaced.
  if (tools::RunsAsRoot()) cases.push_back({"a sticky folder", {}, 10, 100, synced + "2", mode(folder, 01777)});
  // The handlers the program was started with stay: SIGHUP ignored, as under nohup.
  std::signal(SIGHUP, SIG_IGN);
  const auto kept = [] {
    struct sigaction term {}, hangup {};
    sigaction(SIGTERM, nullptr, &term), sigaction(SIGHUP, nullptr, &hangup);
    return term.sa_handler == SIG_DFL && hangup.sa_handler == SIG_IGN;
  };
#endif
  for (const Case& use : cases) {
    SCOPED_TRACE(use.what);
    std::error_code ignored;
    for (const fs::path& path : {folder, report}) fs::permissions(path, fs::perms::owner_all, ignored);
    fs::remove_all(folder);
    fs::create_directory(folder);
    tools::WriteFile(notes, "notes");
    // Everything here is the test's, open to the ordinary user unless a case says otherwise.
    const std::string old_report(use.old_size, 'o');
    if (use.old_size > 0) tools::WriteFile(report, old_report), fs::permissions(report, fs::perms(0606));
    for (const fs::path& path : {folder, notes}) fs::permissions(path, fs::perms(0777));
    if (use.arrange) use.arrange();
    const fs::file_status old_status = fs::symlink_status(report);
    calls.SetFaults(use.faults);
    const auto outcome_of = [&] {
      const platform::Status status = write(use.new_size, use.during);
      std::string text = status.ok() ? synced + std::to_string(calls.Count(Call::kSync)) : status.message();
      if (calls.write_through() != (calls.Count(Call::kReplace) > 0)) text = "moved without writing through; " + text;
#ifndef _WIN32
      if (!kept()) text = "signal handlers changed; " + text;
#endif
      return text;
    };
    std::string outcome = "ended";
    if (const int signal = use.faults.empty() ? 0 : use.faults[0].signal; signal != 0) {
#ifdef _WIN32
      EXPECT_EXIT(write(use.new_size), ::testing::ExitedWithCode(3), "");  // the C runtime's end on SIGTERM
    } else {
      outcome = outcome_of();
#else
      EXPECT_EXIT(write(use.new_size), ::testing::KilledBySignal(signal), "");
    } else {
      outcome = tools::AsOrdinaryUser(outcome_of);
#endif
    }
#ifdef _WIN32
    holder.reset();
#endif
    EXPECT_EQ(outcome.substr(0, use.outcome.size()), use.outcome) << outcome;
    const bool written = outcome.find(synced) != std::string::npos;
    EXPECT_EQ(entries(), use.old_size > 0 || written ? 1 : 0);
    if (fs::is_regular_file(fs::symlink_status(report))) {
      EXPECT_EQ(tools::ReadFile(report), written ? std::string(use.new_size, 'n') : old_report);
      EXPECT_TRUE(!fs::is_regular_file(old_status) || fs::status(report).permissions() == old_status.permissions());
    }
    EXPECT_EQ(tools::ReadFile(notes), "notes");
  }
#ifdef _WIN32
  fs::remove_all(folder);
#else
  std::signal(SIGHUP, SIG_DFL);
#endif
}

}  // namespace
