#include "platform/report_file.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "ordinary_user.h"
#endif

#include <cctype>
#include <csignal>

#include "fake_report_file_system.h"
#include "map_writer.h"

namespace {

namespace fs = std::filesystem;
using Call = tools::FakeReportFileSystem::Call;
using Fault = tools::FakeReportFileSystem::Fault;

constexpr std::size_t kLarge = 200 * 1024;  // several of the report's writes
constexpr std::size_t kChunk = 1000;        // one append

const Fault kNoNewFile{Call::kCreate};  // as a folder refuses it
const Fault kRefusedReplace{Call::kReplace};

// How outcomes read: the report's quoted path shows as REPORT, and a failure
// of Create, before anything is written, starts with "at once: ".
const std::string kWritten = "synced ";  // and the number of syncs made
const std::string kAtOnce = "at once: ";
const std::string kCannotWrite = "cannot write REPORT: ";
const std::string kCannotReplace = "cannot replace REPORT: ";
const std::string kCannotRead = "cannot read REPORT: ";
// The system's reasons (on Windows as wine words them).
#ifdef _WIN32
const std::string kRefused = "Access denied.";
const std::string kIsAFolder = kRefused;  // what moving a file onto a folder gives
const std::string kHeldOpen = "Sharing violation.";
#else
const std::string kRefused = "Permission denied";
const std::string kIsAFolder = "Is a directory";
#endif
const std::string kNotAFile = "not a regular file";

class ReportFileTest;
using Step = void (ReportFileTest::*)();

struct Case {
  const char* what;
  std::vector<Fault> faults;
  std::size_t old_size;  // 0: no earlier report
  std::size_t new_size;
  std::string outcome;     // how it starts: "synced " and the syncs made, "ended", or the message
  Step arrange = nullptr;  // once the folder holds the earlier report; may skip the case
  Step during = nullptr;   // after the appends, before the commit
};

void PrintTo(const Case& use, std::ostream* out) { *out << use.what; }

// Each case's name: its description in words run together.
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  bool word_start = true;
  for (const char c : std::string_view(info.param.what)) {
    if (c == '\'') continue;
    const bool letter = std::isalnum(static_cast<unsigned char>(c)) != 0;
    if (letter) name += word_start ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    word_start = !letter;
  }
  return name;
}

// A report folder holding the earlier report (mode 0606) when there is one,
// and notes beside it that a link may name; all of it open to the ordinary
// user unless a case says otherwise.
class ReportFileTest : public ::testing::TestWithParam<Case> {
 public:
  void MakeReportReadOnly() { fs::permissions(report_, fs::perms(0444)); }
  void PutFolderInPlace() {
    fs::remove(report_);
    fs::create_directory(report_);
  }
#ifdef _WIN32
  void NeedUnnamedFiles() {}  // a new file marked for deletion vanishes as an unnamed one does
  // Another program's, letting others read and write it but not delete it.
  void HoldOpenSharingWrites() { Hold(FILE_SHARE_READ | FILE_SHARE_WRITE); }
  // Another program's, letting others only read it.
  void HoldOpenForItself() { Hold(FILE_SHARE_READ); }
  void Hold(DWORD share) {
    holder_.reset(CreateFileW(report_.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
  }
#else
  void NeedUnnamedFiles() {
    const int unnamed = open(folder_.c_str(), O_TMPFILE | O_RDWR, 0600);
    if (unnamed < 0) GTEST_SKIP() << "the system offers no unnamed files";
    close(unnamed);
  }
  void PutLinkInPlace() {
    fs::remove(report_);
    fs::create_symlink(notes_, report_);
  }
  void PutFifoInPlace() {
    fs::remove(report_);
    ASSERT_EQ(mkfifo(report_.c_str(), 0666), 0);
  }
  void PutDeviceInPlace() {
    if (!tools::RunsAsRoot()) GTEST_SKIP() << "only root makes devices";
    fs::remove(report_);
    ASSERT_EQ(mknod(report_.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);  // the null device
  }
  void MakeFolderTakeNoNewFile() { fs::permissions(folder_, fs::perms(0555)); }
  // Another user's (root's) folder and report, which the folder keeps from being replaced.
  void MakeFolderSticky() {
    if (!tools::RunsAsRoot()) GTEST_SKIP() << "the folder and the report must be another user's";
    fs::permissions(folder_, fs::perms(01777));
  }
#endif

 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a report of new_size bytes 'n' in short appends, with the case's
  // step before it commits (a failed append must fail the commit too), and
  // says how it went.
  std::string Write();
  // How writing went, as the ordinary user; a case that raises a signal ends.
  std::string Outcome();
  std::ptrdiff_t Entries() const { return std::distance(fs::directory_iterator(folder_), fs::directory_iterator()); }

  tools::TempFolder temp_;
#ifdef _WIN32
  // A death test's child is this program started again: both use one folder.
  fs::path folder_ = fs::temp_directory_path() / "groundstyles-report-test";
  std::shared_ptr<void> holder_;
#else
  fs::path folder_ = temp_.path() / "reports";
#endif
  fs::path report_ = folder_ / "GroundStyles.txt";
  fs::path notes_ = temp_.path() / "notes.txt";
  tools::FakeReportFileSystem files_;
};

void ReportFileTest::SetUp() {
  const Case& use = GetParam();
  GTEST_FLAG_SET(death_test_style, "fast");  // the child is this process, in this folder
  fs::remove_all(folder_);
  fs::create_directory(folder_);
  tools::WriteFile(notes_, "notes");
  if (use.old_size > 0) {
    tools::WriteFile(report_, std::string(use.old_size, 'o'));
    fs::permissions(report_, fs::perms(0606));
  }
  for (const fs::path& path : {folder_, notes_}) fs::permissions(path, fs::perms(0777));
#ifndef _WIN32
  tools::GiveToOrdinaryUser(temp_.path());
  // The handlers the program was started with stay: SIGHUP ignored, as under nohup.
  std::signal(SIGHUP, SIG_IGN);
#endif
  if (use.arrange != nullptr) (this->*use.arrange)();
}

void ReportFileTest::TearDown() {
  std::error_code ignored;
  for (const fs::path& path : {folder_, report_}) fs::permissions(path, fs::perms::owner_all, ignored);
#ifdef _WIN32
  holder_.reset();
  fs::remove_all(folder_, ignored);
#else
  std::signal(SIGHUP, SIG_DFL);
#endif
}

std::string ReportFileTest::Write() {
  const Case& use = GetParam();
  std::unique_ptr<platform::ReportFile> file;
  platform::Status status = platform::ReportFile::Create(report_.native(), &file, files_);
  const std::string when = status.ok() ? "" : kAtOnce;
  for (std::size_t at = 0; status.ok() && at < use.new_size; at += kChunk) {
    file->Append(std::string(std::min(use.new_size - at, kChunk), 'n'));
  }
  if (status.ok() && use.during != nullptr) (this->*use.during)();
  if (status.ok()) status = file->Commit();
  file.reset();  // the new file, if any, goes and the signals' handlers are put back
  std::string text = status.ok() ? kWritten + std::to_string(files_.Count(Call::kSync)) : when + status.message();
  const std::string quoted = "\"" + report_.string() + "\"";
  if (const std::size_t at = text.find(quoted); at != std::string::npos) text.replace(at, quoted.size(), "REPORT");
  if (files_.write_through() != (files_.Count(Call::kReplace) > 0)) text = "moved without writing through; " + text;
#ifndef _WIN32
  struct sigaction term {};
  struct sigaction hangup {};
  sigaction(SIGTERM, nullptr, &term);
  sigaction(SIGHUP, nullptr, &hangup);
  if (term.sa_handler != SIG_DFL || hangup.sa_handler != SIG_IGN) text = "signal handlers changed; " + text;
#endif
  return text;
}

std::string ReportFileTest::Outcome() {
  const int signal = GetParam().faults.empty() ? 0 : GetParam().faults[0].signal;
#ifdef _WIN32
  if (signal == 0) return Write();
  EXPECT_EXIT(Write(), ::testing::ExitedWithCode(3), "");  // the C runtime's end on SIGTERM
#else
  if (signal == 0) return tools::AsOrdinaryUser([this] { return Write(); });
  EXPECT_EXIT(Write(), ::testing::KilledBySignal(signal), "");
#endif
  return "ended";
}

// What an ordinary user meets, for real even when the tests run as root: each
// failure names the report and keeps the earlier one byte for byte and mode
// for mode, with no new file beside it, and writes nothing through a link; a
// report counts as written only once synced, and keeps the old one's mode.
// Ended by a signal while written, it leaves no file behind either: the new
// file has no name yet where the system offers that, else it goes with the signal.
TEST_P(ReportFileTest, ReplacedWholeOrTheEarlierReportKept) {
  const Case& use = GetParam();
  const fs::file_status old_status = fs::symlink_status(report_);
  files_.SetFaults(use.faults);
  const std::string outcome = Outcome();
#ifdef _WIN32
  holder_.reset();
#endif
  EXPECT_EQ(outcome.substr(0, use.outcome.size()), use.outcome) << outcome;
  const bool written = outcome.rfind(kWritten, 0) == 0;
  EXPECT_EQ(Entries(), use.old_size > 0 || written ? 1 : 0);
  if (use.during == nullptr) {
    EXPECT_EQ(fs::symlink_status(report_).type(), written ? fs::file_type::regular : old_status.type());
  }
  if (fs::is_regular_file(fs::symlink_status(report_))) {
    const std::string bytes = tools::ReadFile(report_);
    EXPECT_EQ(bytes.size(), written ? use.new_size : use.old_size);
    EXPECT_EQ(bytes.find_first_not_of(written ? 'n' : 'o'), std::string::npos);
    EXPECT_TRUE(!fs::is_regular_file(old_status) || fs::status(report_).permissions() == old_status.permissions());
  }
  EXPECT_EQ(tools::ReadFile(notes_), "notes");
}

using T = ReportFileTest;

const Case kEverywhere[] = {
    {"a new report", {}, 0, 100, kWritten + "1"},
    {"a larger report over several writes", {}, 1000, kLarge, kWritten + "1"},
    {"a named new file", {{.named = true, .fails = false}}, 10, kLarge, kWritten + "1"},
    {"the second write fails", {{.nth = 2, .named = true}}, 10, kLarge, kCannotWrite},
    {"the one write, at the end, fails", {{}}, 10, 100, kCannotWrite},
    {"the sync fails", {{Call::kSync}}, 10, 100, kCannotWrite},
    {"the new file cannot be kept", {{Call::kKeep}}, 10, 100, kCannotWrite, &T::NeedUnnamedFiles},
    {"the close fails", {{Call::kClose}}, 10, 100, kCannotWrite},
    {"the report's folder cannot be looked into", {{Call::kInspect}}, 10, 100, kAtOnce + "cannot create REPORT: "},
    {"a read-only report", {}, 10, 100, kAtOnce + kCannotWrite + kRefused, &T::MakeReportReadOnly},
    {"the report's name taken by a folder", {}, 10, 100, kAtOnce + kCannotReplace + kIsAFolder, &T::PutFolderInPlace},
    {"no report, the folder takes no new file", {kNoNewFile}, 0, 100, kAtOnce + "cannot create REPORT: " + kRefused},
    {"in place, a large report", {kNoNewFile}, 10, kLarge, kWritten + "1"},
    {"in place, shorter than the old report", {kNoNewFile}, kLarge, 100, kWritten + "1"},
    {"in place, the old report cannot be read", {kNoNewFile, {Call::kReadAll}}, 1000, 100, kCannotRead},
    {"in place, no room for the new report", {kNoNewFile, {Call::kReserve}}, 10, kLarge, kCannotWrite},
    {"in place, the write fails", {kNoNewFile, {}}, 1000, kLarge, kCannotWrite},
    {"in place, the length cannot be set", {kNoNewFile, {Call::kSetLength}}, kLarge, 100, kCannotWrite},
    {"in place, the sync fails", {kNoNewFile, {Call::kSync}}, kLarge, 100, kCannotWrite},
    {"in place, the close fails", {kNoNewFile, {Call::kClose}}, kLarge, 100, kCannotWrite},
    {"replacement refused: rewritten in place", {kRefusedReplace}, 10, kLarge, kWritten + "2"},
    {"replacement refused, the new file cannot be read", {kRefusedReplace, {Call::kReadAll}}, 10, 100, kCannotRead},
    {"replacement refused, then the write fails", {kRefusedReplace, {.nth = 2}}, kLarge, 100, kCannotWrite},
    {"SIGTERM, a named new file", {{.nth = 2, .signal = SIGTERM, .named = true}}, 10, kLarge, "ended"},
};
INSTANTIATE_TEST_SUITE_P(Everywhere, ReportFileTest, ::testing::ValuesIn(kEverywhere), CaseName);

#ifdef _WIN32
const Case kWindows[] = {
    {"a report held open: rewritten in place", {}, 10, 100, kWritten + "2", &T::HoldOpenSharingWrites},
    {"a report another program holds for itself", {}, 10, 100, kAtOnce + kCannotWrite + kHeldOpen,
     &T::HoldOpenForItself},
};
INSTANTIATE_TEST_SUITE_P(Windows, ReportFileTest, ::testing::ValuesIn(kWindows), CaseName);
#else  // wine makes no links
const Case kPosix[] = {
    {"the report is a link: replaced", {}, 10, 100, kWritten + "1", &T::PutLinkInPlace},
    {"the folder takes no new file, the report is a link", {kNoNewFile}, 10, 100, kAtOnce + kCannotReplace + kRefused,
     &T::PutLinkInPlace},
    {"replacement refused, a link swapped in", {kRefusedReplace}, 10, 100, kCannotWrite, nullptr, &T::PutLinkInPlace},
    {"replacement refused, a FIFO swapped in", {kRefusedReplace}, 10, 100, kCannotWrite + kNotAFile, nullptr,
     &T::PutFifoInPlace},
    {"the report's name taken by a FIFO", {}, 10, 100, kAtOnce + kCannotReplace + kNotAFile, &T::PutFifoInPlace},
    {"the report's name taken by a device", {}, 10, 100, kAtOnce + kCannotReplace + kNotAFile, &T::PutDeviceInPlace},
    {"SIGKILL", {{.nth = 2, .signal = SIGKILL}}, 10, kLarge, "ended", &T::NeedUnnamedFiles},
    {"the folder takes no new file: in place", {}, 10, kLarge, kWritten + "1", &T::MakeFolderTakeNoNewFile},
    {"a sticky folder", {}, 10, 100, kWritten + "2", &T::MakeFolderSticky},
};
INSTANTIATE_TEST_SUITE_P(Posix, ReportFileTest, ::testing::ValuesIn(kPosix), CaseName);
#endif

}  // namespace
