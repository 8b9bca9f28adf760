// Form1's behaviour with a view that records what it is asked to show.
#include "form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <future>
#include <utility>

#include "fake_drives.h"
#include "fake_report_calls.h"
#include "groundstyles_version.h"
#include "map_writer.h"
#include "ordinary_user.h"
#include "platform/paths.h"
#include "scan/report.h"
#include "scoped_settings.h"

namespace window {
namespace {

namespace fs = std::filesystem;
using platform::NativeString;

class FakeView : public Form1View {
 public:
  void SetTitle(const std::string& text) override { title = text; }
  void SetText(Control control, const std::string& text) override {
    (control == Control::kText1 ? text1 : label3) = text;
  }
  std::string Text1Text() const override { return text1; }
  std::string CheckCaption(int code) const override { return captions.TerrainName(code); }
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
  void ShowFiles(const std::vector<std::string>& names) override { files = names; }
  void WatchFolder(const NativeString& path) override {
    watched = path;
    if (on_watch) std::exchange(on_watch, nullptr)();  // once: a change as soon as the watch begins
  }
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
  void Close() override {}

  std::string title, label3, text1, busy_log;
  scan::TerrainCatalogue captions;  // the check boxes' captions: as the layout has them, the built-in names
  std::array<bool, scan::kTerrainCodeCount> checked{};
  std::vector<std::string> drives, files, messages;
  std::size_t drive = 99, folder = 99;
  std::vector<FolderRow> folders;
  std::function<void()> during_scan, on_watch;
  NativeString watched;  // the folder watched last
  std::vector<std::string> progress;  // each state shown in turn, and the messages among them
  double progress_fraction = 0;       // the last share shown running
};

// A temporary machine: the drive "disk" holds the home folder (on Windows it
// is C:, which holds the user's Documents, the home folder's stand-in) and the
// working folder "maps"; the drive "card" holds a map; the drives "usb" and
// "cdrom" have no medium. Except on Windows, the home folder's name is not
// UTF-8, so Text1's default text stands for it only as the text Form1_Load put there.
class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& folder : {maps_ / "more", card_, home_folder_}) fs::create_directories(folder);
    tools::WriteFile(maps_ / "klin.map", tools::MapBytes({9, 1}));
    tools::WriteFile(maps_ / "OWN.MAP", tools::MapBytes({3, 99}));
    tools::WriteFile(card_ / "CARD.MAP", tools::MapBytes({5}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
  }
  void TearDown() override { fs::current_path(old_cwd_); }

  Form1& Load() {
    form_ = std::make_unique<Form1>(view_, std::make_unique<tools::FakeDrives>(drives_), report_calls_);
    form_->Form1_Load();
    return *form_;
  }
  // The user double-clicks Dir1's row `row`, which takes the highlight first.
  void Open(std::size_t row) {
    view_.folder = row;
    form_->Dir1_Open(row);
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
    for (const std::string& message : std::exchange(view_.messages, {})) text += " | " + message;
    return text;
  }
  // The row of the subfolder `name` of the folder shown.
  std::size_t RowOf(const std::string& name) const {
    const FolderRow row{name, static_cast<int>(view_.folder) + 1};
    return static_cast<std::size_t>(std::find(view_.folders.begin(), view_.folders.end(), row) - view_.folders.begin());
  }
  static std::string Utf8(const fs::path& path) { return platform::ToUtf8(path.native()); }
  std::string Home() const { return platform::ToUtf8(platform::ReportFallbackFolder()); }
  std::string Report(const fs::path& folder) const { return tools::ReadFile(folder / "GroundStyles.txt"); }

  tools::TempFolder temp_;
#ifdef _WIN32
  fs::path disk_ = L"C:\\";
  fs::path maps_ = temp_.path() / "maps";
  fs::path home_folder_ = maps_;
  tools::ScopedDocumentsFolder documents_{home_folder_};  // so that reports stay in the test's folders
#else
  fs::path disk_ = temp_.path() / "disk";
  fs::path maps_ = disk_ / "maps";
  fs::path home_folder_ = disk_ / "h\xE9me";
  tools::ScopedEnvironment home_{"HOME", home_folder_.string()};
#endif
  fs::path card_ = temp_.path() / "card";
  fs::path usb_ = temp_.path() / "usb";
  fs::path cdrom_ = temp_.path() / "cdrom";
  std::vector<platform::Drive> drives_ = {
      {disk_.native(), "DISK"}, {usb_.native(), ""}, {card_.native(), ""}, {cdrom_.native(), ""}};
  fs::path old_cwd_;
  FakeView view_;
  tools::FakeReportCalls report_calls_;
  std::unique_ptr<Form1> form_;
};

// The window opens with its texts set, every box ticked and the lists on the
// working folder and its drive, be it a second volume, a root that ends in its
// separator or a folder that cannot be listed; opening rows moves both lists
// down, twice and more, and back up to the root.
TEST_F(Form1Test, LoadOpensTheWorkingFolderAndRowsOpenedMoveTheLists) {
  fs::create_directory(maps_ / "more" / "deep");
  tools::WriteFile(maps_ / "more" / "deep" / "DEEP.MAP", tools::MapBytes({5}));
  view_.captions.SetTerrainName(4, "Hedgerows");  // the name table is copied from the captions
  Load();
  EXPECT_EQ(view_.drives[0], platform::DriveDisplayName(drives_[0]));
  EXPECT_EQ(view_.title, "PG2 - Ground Style Checker - version  " + std::to_string(GROUNDSTYLES_VERSION_MAJOR) + ". " +
                             std::to_string(GROUNDSTYLES_VERSION_MINOR) + ". " + std::to_string(GROUNDSTYLES_VERSION_PATCH));
  EXPECT_EQ(view_.label3,
            "NB: This tool will check for groundstyles in PG2 *.MAP files only.Allthough other SSI-games has *.MAP "
            "files too, they have other recordlayout, which is not supported.");
  EXPECT_EQ(view_.text1, Home());
  EXPECT_EQ(form_->Selection(), scan::TerrainSelection::All());
  EXPECT_EQ(form_->catalogue().TerrainName(4), "Hedgerows");
  // Where the program starts and its drive, the folder opened row by row and its drive.
  std::vector<std::array<fs::path, 4>> cases = {{maps_, disk_, maps_ / "more" / "deep", disk_},
                                                {card_, card_, card_, card_}};
#ifndef _WIN32
  // A folder the user may enter but not list, as the working folder and as a
  // row opened: the lists show it empty, or keep the folder shown and its
  // highlight, and the message says why.
  const fs::path locked = maps_ / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  const std::string shown = tools::AsOrdinaryUser([&] {
    fs::current_path(locked);
    Load();
    const std::string text = view_.folders.at(view_.folder).text + ", " + Lists() + "; ";
    Open(view_.folder - 1);
    Open(RowOf("locked"));
    return text + view_.folders.at(view_.folder).text + ", " + Lists();
  });
  const std::string why = " | cannot list \"" + Utf8(locked) + "\": Permission denied";
  EXPECT_EQ(shown, "locked, 0 of 4: " + Utf8(locked) + why + "; maps, 0 of 4: " + Utf8(maps_) + why);
  drives_.push_back({"/", ""});
  cases.push_back({"/", "/", maps_, disk_});
#endif
  for (const auto& [start, drive, target, target_drive] : cases) {
    SCOPED_TRACE(start);
    fs::current_path(start);
    Form1& form = Load();
    EXPECT_EQ(drives_.at(view_.drive).root, drive.native());
    for (const fs::path& name : target.lexically_relative(start)) {
      if (name != ".") Open(RowOf(Utf8(name)));
    }
    EXPECT_EQ(form.file1_path(), target.native());
    EXPECT_EQ(view_.folders.at(view_.folder).text, Utf8(view_.folder == 0 ? target_drive : target.filename()));
    view_.text1 = Home();
    form.Command1_Click();
    EXPECT_EQ(Report(home_folder_).rfind(scan::ReportHeaderText(target.native(), view_.files.size()), 0), 0u);
    Open(0);
    EXPECT_EQ(form.file1_path(), target_drive.native());
  }
}

// Text1 names the folder that leaving it looks for and that the report goes
// to, without surrounding spaces and, on Linux, with "~" for the home folder.
// Leaving it warns each time that folder is missing; the report then goes home.
TEST_F(Form1Test, Text1NamesTheFolderBothForTheWarningAndForTheReport) {
  Form1& form = Load();
  const std::string missing = Utf8(temp_.path() / "no such");
  struct Case {
    std::string typed;
    fs::path report_folder;  // empty: missing, so the warning names `shown` and the report goes home
    std::string shown = {};
  };
  std::vector<Case> cases = {
      {Utf8(card_), card_},
      {" " + Utf8(card_ / "") + " ", card_},
      {Home(), home_folder_},
      {"  " + missing + "  ", {}, missing},
      {"", {}, ""},
#ifdef _WIN32
      {"~", maps_ / "~"},  // a name like any other
#else
      {"~", home_folder_},
      {" ~/notes ", home_folder_ / "notes"},
      {"~/nothing", {}, "~/nothing"},
      {"~notes", maps_ / "~notes"},  // another user's home folder is not looked up
      {"a~b", maps_ / "a~b"},
#endif
  };
  for (const fs::path& folder : {maps_ / "~", home_folder_ / "notes", maps_ / "~notes", maps_ / "a~b"}) {
    fs::create_directory(folder);
  }
  const std::string second_line = "\r\nIf you continue the report will be placed in '" + Home() + "'.";
  for (const Case& typed : cases) {
    SCOPED_TRACE(typed.typed);
    view_.text1 = typed.typed;
    form.Text1_LostFocus(FocusTarget::kControl);
    form.Text1_LostFocus(FocusTarget::kControl);
    std::vector<std::string> warnings;
    if (typed.report_folder.empty()) warnings.assign(2, "The folder: " + typed.shown + " does not exist." + second_line);
    EXPECT_EQ(std::exchange(view_.messages, {}), warnings);
    form.Command1_Click();
    const fs::path report = (typed.report_folder.empty() ? home_folder_ : typed.report_folder) / "GroundStyles.txt";
    EXPECT_TRUE(fs::exists(report));
    fs::remove(report);
  }
}

TEST_F(Form1Test, CheckMapfilesWritesTheReportOrShowsWhyNot) {
  Form1& form = Load();
  view_.checked[9] = false;  // Ocean
  view_.text1 = Utf8(card_);
  view_.during_scan = [&] {
    form.Command1_Click();  // a second click while busy does nothing
    tools::WriteFile(maps_ / "NEW.MAP", tools::MapBytes({5}));
    drives_.insert(drives_.begin(), {(temp_.path() / "stick").native(), "STICK"});
    form.FolderChanged();  // nor do the disk and the drives change the lists under the scan: they show after
    form.Drive1_Refresh();
    EXPECT_EQ(view_.files.size() + view_.drives.size(), 2u + 4u);
  };
  form.Command1_Click();
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "OWN.MAP"}));
  EXPECT_EQ(drives_.at(view_.drive).root, disk_.native());
  EXPECT_TRUE(view_.progress.empty());  // over before progress would say anything, and no message
  EXPECT_EQ(Report(card_), scan::ReportHeaderText(maps_.native(), 2) +
                              "* klin.map              : City, \r\n"
                              "  OWN.MAP               : Forest, Unknown Groundstyle found\r\n");

  // A slow scan shows its progress until it ends, and a failure until its message is read.
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails);
    view_.progress.clear();
    view_.progress_fraction = 0;
    report_calls_.SetFaults({{.call = tools::FakeReportCalls::Call::kSync, .delay_ms = 800, .fails = fails}});
    form.Command1_Click();
    const std::vector<std::string> shown = {"running", "failed", "message", "hidden"};
    EXPECT_EQ(view_.progress, fails ? shown : std::vector<std::string>({"running", "hidden"}));
    EXPECT_EQ(view_.progress_fraction, 1.0);  // the maps are read; the report is being made durable
  }

  const std::string last_report = Report(card_);
  fs::remove(maps_ / "klin.map");
  form.Command1_Click();
  ASSERT_EQ(view_.messages.size(), 2u);  // the failed slow scan's and this one's
  EXPECT_EQ(view_.messages[1].rfind("cannot open \"", 0), 0u) << view_.messages[1];
  EXPECT_EQ(view_.busy_log, "on offon offon offon off");
  EXPECT_EQ(Report(card_), last_report);
}

TEST_F(Form1Test, ListsFollowTheFolderOnDisk) {
  // A map added to the folder watched as soon as the watch begins, before the listing.
  view_.on_watch = [&] { tools::WriteFile(fs::path(view_.watched) / "NEW.MAP", tools::MapBytes({5})); };
  Form1& form = Load();
  EXPECT_EQ(view_.files.size(), 3u);
  const std::size_t maps_row = view_.folder;
  fs::rename(maps_ / "OWN.MAP", maps_ / "ZED.MAP");
  fs::create_directory(maps_ / "added");
  form.FolderChanged();
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "ZED.MAP"}));
  EXPECT_EQ(view_.folders.back(), (FolderRow{"more", static_cast<int>(maps_row) + 1, false}));
  EXPECT_EQ(view_.folders[maps_row + 1], (FolderRow{"added", static_cast<int>(maps_row) + 1, false}));

  // A folder removed is no longer offered, even to a double-click that comes first.
  fs::remove(maps_ / "added");
  Open(maps_row + 1);
  EXPECT_EQ(RowOf("more"), maps_row + 1);
  EXPECT_EQ(form.dir1_path(), maps_.native());

  // The folder shown goes: the lists move up to the nearest folder left, without a word.
  Open(maps_row + 1);
  fs::current_path(old_cwd_);
  for (const fs::path& gone : {maps_ / "more", maps_}) {
    fs::remove_all(gone);
    form.FolderChanged();
    EXPECT_EQ(Lists(), "0 of 4: " + Utf8(gone.parent_path()));
  }
}

TEST_F(Form1Test, ListsFollowTheDrivesAndTheirMedia) {
  Form1& form = Load();
  Pick(2);
  Pick(1);  // usb: no medium; home's drive, at its last folder
  EXPECT_EQ(Lists(), "0 of 4: " + Utf8(maps_) + " | Drive not ready.");
  Open(RowOf("more"));  // a last folder that has gone since leaves the drive at its root
  Pick(2);
  fs::remove(maps_ / "more");
  Pick(0);
  EXPECT_EQ(Lists(), "0 of 4: " + Utf8(disk_));
  Pick(2);
#ifndef _WIN32
  // Home on the chosen drive, or on another with no medium: one message, and the lists stay together.
  for (const fs::path& home : {usb_ / "home", cdrom_ / "home"}) {
    tools::ScopedEnvironment variable("HOME", home.string());
    Pick(1);
    EXPECT_EQ(Lists(), "2 of 4: " + Utf8(card_) + " | Drive not ready.") << home;
  }
#endif
  const fs::path stick = temp_.path() / "stick";
  drives_.insert(drives_.begin(), {stick.native(), "STICK"});  // ahead of the card
  form.Drive1_Refresh();
  EXPECT_EQ(Lists(), "3 of 5: " + Utf8(card_));

  // A medium gone before a scan noticed: the drive is not ready, no map is missing.
  fs::remove_all(card_);
  view_.text1 = Home();
  form.Command1_Click();
  EXPECT_EQ(Lists(), "1 of 5: " + Utf8(disk_) + " | Drive not ready.");
  // A drive that stays listed while its medium goes (a card reader, a disc drive), and one taken out.
  for (const fs::path& root : {usb_, stick}) {
    fs::create_directory(root);
    Pick(root == usb_ ? 2 : 0);
    fs::remove(root);
    if (root == stick) drives_.erase(drives_.begin());
    form.Drive1_Refresh();
    EXPECT_EQ(Lists(), (root == usb_ ? "1 of 5: " : "0 of 4: ") + Utf8(disk_));
  }
}

}  // namespace
}  // namespace window
