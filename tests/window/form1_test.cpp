// Form1's behaviour with a view that records what it is asked to show.
#include "form1.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include "platform/windows_text.h"
#endif

#include <array>
#include <functional>
#include <future>
#include <tuple>
#include <utility>

#include "fake_drives.h"
#include "fake_report_file_system.h"
#include "groundstyles_version.h"
#include "scan/report.h"
#include "temp_machine.h"
#include "terrain_names.h"

namespace window {
namespace {

namespace fs = std::filesystem;
using platform::NativeString;

// The system's reasons a path cannot be listed, in its own words.
#ifdef _WIN32
const std::string kMissing = platform::internal::WindowsErrorText(ERROR_PATH_NOT_FOUND);
const std::string kNotAFolder = platform::internal::WindowsErrorText(ERROR_DIRECTORY);
#else
const std::string kMissing = "No such file or directory", kNotAFolder = "Not a directory";
#endif

class FakeView : public Form1View {
 public:
  void SetTitle(const std::string& text) override { title = text; }
  void SetText(Control control, const std::string& text) override {
    (control == Control::kText1 ? text1 : label3) = text;
  }
  std::string Text1Text() const override { return text1; }
  std::string CheckCaption(int code) const override { return captions.at(static_cast<std::size_t>(code)); }
  bool IsChecked(int code) const override { return checked[static_cast<std::size_t>(code)]; }
  void SetChecked(int code, bool value) override { checked[static_cast<std::size_t>(code)] = value; }
  void ShowDrives(const std::vector<std::string>& names, std::size_t selected) override {
    drives = names;
    drive = selected;
  }
  void SelectDrive(std::size_t index) override { drive = index; }
  void ShowFolders(const std::vector<FolderRow>& rows, std::size_t current) override {
    folders = rows;
    folder = current;
  }
  void SelectFolder(std::size_t row) override { folder = row; }
  void ShowFiles(std::vector<std::string> names) override { files = std::move(names); }
  void InsertFile(std::size_t row, const std::string& name) override {
    files.insert(files.begin() + static_cast<std::ptrdiff_t>(row), name);
  }
  void RemoveFile(std::size_t row) override { files.erase(files.begin() + static_cast<std::ptrdiff_t>(row)); }
  void WatchFolder(const NativeString&) override {}
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    progress.push_back("message");
  }
  // The work on a thread of its own, as a window runs it, and `during_scan`
  // on this one meanwhile, once, as the user's doings are.
  void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) override {
    busy_log += "on ";
    std::future<void> done = std::async(std::launch::async, work);
    if (during_scan) std::exchange(during_scan, nullptr)();
    while (done.wait_for(std::chrono::milliseconds(kTickMs)) != std::future_status::ready) tick();
    busy_log += "off";
  }
  void ShowProgress(Progress state, double fraction) override {
    const std::string name = std::array{"hidden", "running", "failed"}[static_cast<std::size_t>(state)];
    if (progress.empty() || progress.back() != name) progress.push_back(name);
    if (state == Progress::kRunning) progress_fraction = fraction;
  }
  void Close() override { ++closes; }

  std::string title, label3, text1, busy_log;
  std::array<std::string, 17> captions = tools::kTerrainNames;  // the check boxes'
  std::array<bool, scan::kTerrainCodeCount> checked{};
  std::vector<std::string> drives, files, messages;
  std::size_t drive = 99, folder = 99;
  std::vector<FolderRow> folders;
  std::function<void()> during_scan;
  std::vector<std::string> progress;  // each state shown in turn, and the messages among them
  double progress_fraction = 0;       // the last share shown running
  int closes = 0;
};

// Form1 on the temporary machine. Except on Windows, the home folder's name is
// not UTF-8, so Text1's default text stands for it only as the text Form1_Load put there.
class Form1Test : public tools::TempMachineTest {
 protected:
  // Form1 made and loaded; what ran beside the window meanwhile goes to `load_busy_log_`.
  Form1& Load() {
    form_ = std::make_unique<Form1>(view_, std::make_unique<tools::FakeDrives>(drives_), report_files_);
    form_->Form1_Load();
    load_busy_log_ = std::exchange(view_.busy_log, {});
    return *form_;
  }
  // The user picks Drive1's entry `index`, which the list selects first.
  void Pick(std::size_t index) {
    view_.drive = index;
    form_->Drive1_Change(index);
  }
  // Drive1's entry and its number of entries, the folder File1 lists, and the
  // messages shown since the last look.
  std::string Lists() {
    std::string text = std::to_string(view_.drive) + " of " + std::to_string(view_.drives.size()) + ": ";
    text += Utf8(form_->file1_path());
    for (std::string message : std::exchange(view_.messages, {})) {
      // A long path is broken across lines for the message box: joined again here.
      for (std::size_t at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", at)) {
        message.erase(at, 2);
      }
      text += " | " + message;
    }
    return text;
  }
  // The progress shown by a scan of the working folder's maps that the
  // report's sync makes last `delay_ms` longer, failing there when `fails`.
  std::vector<std::string> ProgressOfAScanLasting(int delay_ms, bool fails) {
    Load();
    report_files_.SetFaults({{.call = tools::FakeReportFileSystem::Call::kSync, .delay_ms = delay_ms, .fails = fails}});
    form_->Command1_Click();
    return view_.progress;
  }

  FakeView view_;
  tools::FakeReportFileSystem report_files_;
  std::unique_ptr<Form1> form_;
  std::string load_busy_log_;
};

TEST_F(Form1Test, LoadSetsTheTitleTheNoticeAndText1AndTicksEveryBox) {
  Load();
  EXPECT_EQ(view_.title, "PG2 - Ground Style Checker - version  " + std::to_string(GROUNDSTYLES_VERSION_MAJOR) + ". " +
                             std::to_string(GROUNDSTYLES_VERSION_MINOR) + ". " + std::to_string(GROUNDSTYLES_VERSION_PATCH));
  EXPECT_EQ(view_.label3,
            "NB: This tool will check for groundstyles in PG2 *.MAP files only.Allthough other SSI-games has *.MAP "
            "files too, they have other recordlayout, which is not supported.");
  EXPECT_EQ(view_.text1, Home());
  EXPECT_EQ(form_->Selection(), scan::TerrainSelection::All());
  EXPECT_EQ(load_busy_log_, "on off");  // the working folder listed beside the window
}

// The report names terrain as the check boxes were captioned when the window opened.
TEST_F(Form1Test, LoadCopiesTheTerrainNamesFromTheCheckBoxes) {
  view_.captions[4] = "Hedgerows";
  Load();
  EXPECT_EQ(form_->catalogue().TerrainName(4), "Hedgerows");
}

// The lists show where they open and where each event moves them, and what it says.
TEST_F(Form1Test, TheListsShowWhereTheyOpenAndEachMove) {
  Form1& form = Load();
  EXPECT_EQ(view_.drives[0], platform::DriveDisplayName(drives_[0]));
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "OWN.MAP"}));
  Pick(1);
  EXPECT_EQ(Lists(), "0 of 4: " + Utf8(maps_) + " | Drive not ready.");
  form.Dir1_Open(view_.folders.size() - 1);  // "more", the last row
  EXPECT_EQ(view_.folders.at(view_.folder).text, "more");
  tools::WriteFile(maps_ / "more" / "NEW.MAP", tools::MapBytes({5}));
  form.FolderChanged({.names = {{platform::FromAscii("NEW.MAP"), true}}});
  EXPECT_EQ(view_.files, std::vector<std::string>{"NEW.MAP"});
  drives_.insert(drives_.begin(), {(temp_.path() / "stick").native(), "STICK"});
  form.Drive1_Refresh();
  EXPECT_EQ(Lists(), "1 of 5: " + Utf8(maps_ / "more"));
}

// A path given on the command line or dropped on the window moves the lists,
// drive and all, to a folder, or to a map file's folder; a relative path is
// taken from the working folder. One that cannot be listed says why, and the
// lists then open on the working folder at start, or stay where they were
// when it was dropped.
TEST_F(Form1Test, TheListsOpenOnAPathGivenOrDropped) {
  fs::create_directory(card_ / "deep.map");
  tools::WriteFile(maps_ / "notes.txt", "");
  const std::string sep(1, static_cast<char>(platform::kSeparator));
  // The path, then the lists' drive and folder, or why the path cannot be listed.
  const std::vector<std::tuple<NativeString, std::string, std::string>> cases = {
      {(card_ / "deep.map").native(), "2 of 4: " + Utf8(card_ / "deep.map"), ""},  // a folder, whatever its name
      {platform::FromUtf8("more" + sep), "0 of 4: " + Utf8(maps_ / "more"), ""},
      {platform::FromUtf8("klin.map"), "0 of 4: " + Utf8(maps_), ""},
      {(maps_ / "notes.txt").native(), "", kNotAFolder},
      {(maps_ / "gone").native(), "", kMissing},
  };
  for (const auto& [path, lists, reason] : cases) {
    SCOPED_TRACE(platform::ToUtf8(path));
    const std::string refused = " | cannot list \"" + Utf8(path) + "\": " + reason;
    form_ = std::make_unique<Form1>(view_, std::make_unique<tools::FakeDrives>(drives_), report_files_);
    form_->SetStartPath(path);
    form_->Form1_Load();
    EXPECT_EQ(Lists(), reason.empty() ? lists : "0 of 4: " + Utf8(maps_) + refused);
    form_->Form1_DragDrop(card_.native());
    form_->Form1_DragDrop(path);
    EXPECT_EQ(Lists(), reason.empty() ? lists : "2 of 4: " + Utf8(card_) + refused);
    EXPECT_EQ(form_->dir1_path(), form_->file1_path());
  }
}

// Text1 names the folder that leaving it looks for and that the report goes
// to, without surrounding spaces and, on Linux, with "~" for the home folder.
// Leaving it for another control warns each time that folder is missing; the
// report then goes home.
TEST_F(Form1Test, Text1NamesTheFolderBothForTheWarningAndForTheReport) {
  Form1& form = Load();
  const std::string missing = Utf8(temp_.path() / "no such");
  // What is typed, and where the report goes; none: missing, and the warning names `shown`.
  const std::vector<std::tuple<std::string, fs::path, std::string>> cases = {
      {" " + Utf8(card_ / "") + " ", card_, ""},
      {Home(), home_folder_, ""},
      {"  " + missing + "  ", {}, missing},
      {"", {}, ""},
#ifdef _WIN32
      {"~", maps_ / "~", ""},  // a name like any other
#else
      {"~", home_folder_, ""},
      {" ~/notes ", home_folder_ / "notes", ""},
      {"~/nothing", {}, "~/nothing"},
      {"~notes", maps_ / "~notes", ""},  // another user's home folder is not looked up
      {"a~b", maps_ / "a~b", ""},
#endif
  };
  for (const fs::path& folder : {maps_ / "~", home_folder_ / "notes", maps_ / "~notes", maps_ / "a~b"}) {
    fs::create_directory(folder);
  }
  const std::string second_line = "\r\nIf you continue the report will be placed in '" + Home() + "'.";
  for (const auto& [typed, report_folder, shown] : cases) {
    SCOPED_TRACE(typed);
    view_.text1 = typed;
    form.Text1_LostFocus(FocusTarget::kElsewhere);  // another window, or a message box
    form.Text1_LostFocus(FocusTarget::kControl);
    form.Text1_LostFocus(FocusTarget::kControl);
    std::vector<std::string> warnings;
    if (report_folder.empty()) warnings.assign(2, "The folder: " + shown + " does not exist." + second_line);
    EXPECT_EQ(std::exchange(view_.messages, {}), warnings);
    form.Command1_Click();
    EXPECT_TRUE(fs::remove((report_folder.empty() ? home_folder_ : report_folder) / "GroundStyles.txt"));
  }
}

TEST_F(Form1Test, CheckMapfilesReportsFile1sMapsWithTheTerrainTicked) {
  Form1& form = Load();
  view_.checked[9] = false;  // Ocean
  view_.text1 = Utf8(card_);
  form.Command1_Click();
  EXPECT_EQ(view_.busy_log, "on off");
  EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"), scan::ReportHeaderText(maps_.native(), 2) +
                                                             "* klin.map              : City, \r\n"
                                                             "  OWN.MAP               : Forest, Unknown Groundstyle found\r\n");
}

TEST_F(Form1Test, CheckMapfilesWithNoMapsListedDoesNothing) {
  fs::current_path(maps_ / "more");
  Load().Command1_Click();
  EXPECT_EQ(view_.busy_log, "");
  EXPECT_FALSE(fs::exists(home_folder_ / "GroundStyles.txt"));
}

// A second click and a folder dropped do nothing while a scan runs, and the
// lists show what the disk and the drives did meanwhile only once it has ended.
TEST_F(Form1Test, ClicksAndChangesOfTheDiskAndTheDrivesWaitForTheScan) {
  Form1& form = Load();
  view_.during_scan = [&] {
    form.Command1_Click();
    form.Form1_DragDrop(card_.native());
    tools::WriteFile(maps_ / "NEW.MAP", tools::MapBytes({5}));
    drives_.insert(drives_.begin(), {(temp_.path() / "stick").native(), "STICK"});
    form.FolderChanged({.names = {{platform::FromAscii("NEW.MAP"), true}}});
    form.Drive1_Refresh();
    EXPECT_EQ(view_.files.size() + view_.drives.size(), 2u + 4u);
  };
  form.Command1_Click();
  EXPECT_EQ(view_.busy_log, "on off");
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "OWN.MAP"}));
  EXPECT_EQ(Lists(), "1 of 5: " + Utf8(maps_));
}

// "End Program" closes the window at once; it or a request to close during a
// scan stops the scan, and the window closes once it has ended, with nothing
// shown, the earlier report as it was and nothing left beside it.
TEST_F(Form1Test, ClosingDuringAScanStopsItAndKeepsTheEarlierReport) {
  Form1& form = Load();
  form.Command2_Click();
  EXPECT_EQ(view_.closes, 1);
  view_.text1 = Utf8(card_);
  for (void (Form1::*close)() : {&Form1::Command2_Click, &Form1::Form1_QueryUnload}) {
    tools::WriteFile(card_ / "GroundStyles.txt", "earlier report");
    // The new report has a name, and the scan waits once it is made.
    report_files_.SetFaults(
        {{.call = tools::FakeReportFileSystem::Call::kSetMode, .named = true, .delay_ms = 200, .fails = false}});
    view_.closes = 0;
    view_.during_scan = [&] { (form.*close)(); };
    form.Command1_Click();
    EXPECT_EQ(view_.closes, 1);
    EXPECT_EQ(view_.messages, std::vector<std::string>{});
    EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"), "earlier report");
    EXPECT_EQ(std::distance(fs::directory_iterator(card_), fs::directory_iterator()), 2);  // with CARD.MAP
  }
}

TEST_F(Form1Test, AFailedScanSaysWhy) {
  Load();
  fs::remove(maps_ / "klin.map");
  form_->Command1_Click();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].rfind("cannot open \"" + Utf8(maps_ / "klin.map") + "\": ", 0), 0u) << view_.messages[0];
}

// A medium gone before a scan noticed: no map is missing, the drive is not
// ready, and the lists have gone to the home drive.
TEST_F(Form1Test, AScanThatFindsItsDriveGoneSaysDriveNotReady) {
  Load();
  Pick(2);
  fs::remove_all(card_);
  form_->Command1_Click();
  EXPECT_EQ(Lists(), "0 of 4: " + Utf8(maps_) + " | Drive not ready.");
}

// The scan's progress shows beside the window only once it has lasted half a
// second, until it ends or, when it fails, until its message has been read.
TEST_F(Form1Test, AScanUnderHalfASecondShowsNoProgress) {
  EXPECT_EQ(ProgressOfAScanLasting(200, false), std::vector<std::string>{});
}

TEST_F(Form1Test, AQuickScanThatFailsLeavesTheLauncherEntryAlone) {
  EXPECT_EQ(ProgressOfAScanLasting(200, true), std::vector<std::string>{"message"});
}

TEST_F(Form1Test, AScanOverHalfASecondShowsItsProgressUntilItEnds) {
  EXPECT_EQ(ProgressOfAScanLasting(800, false), (std::vector<std::string>{"running", "hidden"}));
  EXPECT_EQ(view_.progress_fraction, 1.0);  // the maps are read; the report is being made durable
}

TEST_F(Form1Test, ASlowScanThatFailsShowsTheErrorUntilItsMessageIsRead) {
  const std::vector<std::string> shown = {"running", "failed", "message", "hidden"};
  EXPECT_EQ(ProgressOfAScanLasting(800, true), shown);
}

}  // namespace
}  // namespace window
