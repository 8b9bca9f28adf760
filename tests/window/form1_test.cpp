// Form1's behaviour with a view that records what it is asked to show.
#include "form1.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "fake_drives.h"
#include "fake_report_calls.h"
#include "map_writer.h"
#include "scan/report.h"

namespace window {
namespace {

namespace fs = std::filesystem;
using platform::NativeString;

class FakeView : public Form1View {
 public:
  FakeView() {
    for (const ControlLayout& layout : Form1Layout()) {
      if (layout.control == Control::kCheck1) captions[static_cast<std::size_t>(layout.index)] = layout.text;
    }
  }
  void SetTitle(const std::string& text) override { title = text; }
  void SetText(Control control, const std::string& text) override {
    (control == Control::kText1 ? text1 : label3) = text;
  }
  std::string Text1Text() const override { return text1; }
  std::string CheckCaption(int code) const override { return captions[static_cast<std::size_t>(code)]; }
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
  void WatchFolder(const NativeString&) override {}
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    progress.push_back("message");
  }
  // The work on a thread of its own, as a window runs it, and `during_scan`
  // on this one meanwhile, as the user's doings are.
  void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) override {
    busy_log += "on ";
    std::atomic<bool> done{false};
    std::thread worker([&] {
      work();
      done = true;
    });
    if (during_scan) during_scan();
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
      tick();
    }
    worker.join();
    busy_log += "off";
  }
  void ShowProgress(Progress state, double fraction) override {
    static const std::array<std::string, 3> kNames = {"hidden", "running", "failed"};
    const std::string& name = kNames[static_cast<std::size_t>(state)];
    if (progress.empty() || progress.back() != name) progress.push_back(name);
    if (state == Progress::kRunning) progress_fraction = fraction;
  }
  void Close() override {}

  std::string title, label3, text1, busy_log;
  std::array<std::string, scan::kTerrainCodeCount> captions;
  std::array<bool, scan::kTerrainCodeCount> checked{};
  std::vector<std::string> drives, files, messages;
  std::size_t drive = 99, folder = 99;
  std::vector<FolderRow> folders;
  std::function<void()> during_scan;
  std::vector<std::string> progress;  // each state shown in turn, and the messages among them
  double progress_fraction = 0;       // the last share shown running
};

// A temporary machine: the drive "disk" holds the home folder (on Windows it
// is C:, which holds the user's Documents, the home folder's stand-in) and the
// working folder "maps"; the drive "card" holds a map; the drives "usb" and
// "cdrom" have no medium.
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
  static std::string Utf8(const fs::path& path) { return platform::ToUtf8(path.native()); }
  std::string Home() const { return platform::ToUtf8(platform::ReportFallbackFolder()); }
  std::string Report(const fs::path& folder) const { return tools::ReadFile(folder / "GroundStyles.txt"); }

  tools::TempFolder temp_;
#ifdef _WIN32
  fs::path disk_ = L"C:\\";
  fs::path maps_ = temp_.path() / "maps";
  fs::path home_folder_ = maps_;
#else
  fs::path disk_ = temp_.path() / "disk";
  fs::path maps_ = disk_ / "maps";
  fs::path home_folder_ = disk_ / "home";
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

TEST_F(Form1Test, LoadSetsTextsTicksEveryBoxAndOpensTheWorkingFolder) {
  view_.captions[4] = "Hedgerows";  // the name table is copied from the captions
  Form1& form = Load();
  EXPECT_EQ(view_.title, "PG2 - Ground Style Checker - version  2. 0. 0");
  EXPECT_EQ(view_.label3,
            "NB: This tool will check for groundstyles in PG2 *.MAP files only.Allthough other SSI-games has *.MAP "
            "files too, they have other recordlayout, which is not supported.");
  EXPECT_EQ(view_.text1, Home());
  EXPECT_EQ(form.Selection(), scan::TerrainSelection::All());
  EXPECT_EQ(form.name_table().TerrainName(4), "Hedgerows");

  EXPECT_EQ(view_.drives[0], platform::DriveDisplayName(drives_[0]));
  EXPECT_EQ(view_.drive, 0u);
  EXPECT_EQ(form.dir1_path(), maps_.native());
  EXPECT_EQ(view_.folders.front(), (FolderRow{Utf8(disk_), 0, true}));
  EXPECT_EQ(view_.folders[view_.folder], (FolderRow{"maps", static_cast<int>(view_.folder), true}));
  EXPECT_EQ(view_.folders.back(), (FolderRow{"more", static_cast<int>(view_.folder) + 1, false}));
  EXPECT_EQ(form.file1_path(), maps_.native());
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "OWN.MAP"}));
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1Test, LeavingTheFieldWarnsEachTimeTheFolderIsMissing) {
  Form1& form = Load();
  const std::string missing = Utf8(temp_.path() / "no such");
  const std::string second_line = "\r\nIf you continue the report will be placed in '" + Home() + "'.";
  for (const std::string& text : {"  " + missing + "  ", missing, std::string()}) {
    view_.text1 = text;
    form.ReportFolderWarning();
    form.ReportFolderWarning();
  }
  const std::string warning = "The folder: " + missing + " does not exist." + second_line;
  const std::string empty = "The folder:  does not exist." + second_line;
  EXPECT_EQ(view_.messages, (std::vector<std::string>{warning, warning, warning, warning, empty, empty}));

  view_.messages.clear();
  for (const std::string& text : {Utf8(card_), " " + Utf8(card_ / "") + " ", Home()}) {
    view_.text1 = text;
    form.ReportFolderWarning();
  }
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1Test, CheckMapfilesWritesTheReportOrShowsWhyNot) {
  Form1& form = Load();
  view_.checked[9] = false;  // Ocean
  view_.text1 = Utf8(card_);
  int scans = 0;
  view_.during_scan = [&] {
    ++scans;
    form.Command1_Click();  // a second click while busy does nothing
    tools::WriteFile(maps_ / "NEW.MAP", tools::MapBytes({5}));
    form.FolderChanged();  // nor does the disk change File1 under the scan: it shows after
    form.Drive1_Refresh();
  };
  form.Command1_Click();
  EXPECT_EQ(scans, 1);
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "OWN.MAP"}));
  view_.during_scan = nullptr;
  EXPECT_EQ(view_.busy_log, "on off");
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_TRUE(view_.progress.empty());  // over before progress would say anything
  const std::string report = Report(card_);
  EXPECT_EQ(report, scan::ReportHeaderText(maps_.native(), 2) +
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
  view_.messages.clear();

  const std::string last_report = Report(card_);
  fs::remove(maps_ / "klin.map");
  form.Command1_Click();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].rfind("cannot open \"", 0), 0u) << view_.messages[0];
  EXPECT_EQ(view_.busy_log, "on offon offon offon off");
  EXPECT_EQ(Report(card_), last_report);
}

TEST_F(Form1Test, ListsFollowTheFolderOnDisk) {
  Form1& form = Load();
  const std::size_t maps_row = view_.folder;
  tools::WriteFile(maps_ / "NEW.MAP", tools::MapBytes({5}));
  fs::rename(maps_ / "OWN.MAP", maps_ / "ZED.MAP");
  fs::create_directory(maps_ / "added");
  form.FolderChanged();
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "ZED.MAP"}));
  EXPECT_EQ(view_.folders.back(), (FolderRow{"more", static_cast<int>(maps_row) + 1, false}));
  EXPECT_EQ(view_.folders[maps_row + 1], (FolderRow{"added", static_cast<int>(maps_row) + 1, false}));
  view_.text1 = Utf8(card_);
  form.Command1_Click();
  EXPECT_EQ(Report(card_).rfind(scan::ReportHeaderText(maps_.native(), 3), 0), 0u);

  // A folder removed is no longer offered, even to a double-click that comes first.
  fs::remove(maps_ / "added");
  form.Dir1_Open(maps_row + 1);
  EXPECT_EQ(view_.folders.size(), maps_row + 2);
  EXPECT_EQ(view_.folders.back().text, "more");
  EXPECT_EQ(form.dir1_path(), maps_.native());

  // The folder shown goes: the lists move up to the nearest folder left, without a word.
  form.Dir1_Open(maps_row + 1);
  fs::remove(maps_ / "more");
  form.FolderChanged();
  EXPECT_EQ(form.dir1_path(), maps_.native());
  fs::current_path(old_cwd_);
  fs::remove_all(maps_);
  form.FolderChanged();
  EXPECT_EQ(form.file1_path(), maps_.parent_path().native());
  EXPECT_TRUE(view_.files.empty());
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1Test, OpeningAFolderMovesBothLists) {
  Form1& form = Load();
  const std::size_t maps_row = view_.folder;
  fs::create_directory(maps_ / "more" / "deep");
  tools::WriteFile(maps_ / "more" / "DEEP.MAP", "");
  form.Dir1_Open(maps_row + 1);
  EXPECT_EQ(form.dir1_path(), (maps_ / "more").native());
  EXPECT_EQ(form.file1_path(), (maps_ / "more").native());
  EXPECT_EQ(view_.files, std::vector<std::string>{"DEEP.MAP"});
  EXPECT_EQ(view_.folders[view_.folder], (FolderRow{"more", static_cast<int>(maps_row) + 1, true}));
  EXPECT_EQ(view_.folders.back(), (FolderRow{"deep", static_cast<int>(maps_row) + 2, false}));
  form.Dir1_Open(maps_row);
  EXPECT_EQ(form.file1_path(), maps_.native());
  EXPECT_EQ(view_.files, (std::vector<std::string>{"klin.map", "OWN.MAP"}));
}

TEST_F(Form1Test, DrivesRememberTheirFolderAndNotReadyFallsBackHome) {
  Form1& form = Load();
  form.Drive1_Change(2);  // card
  EXPECT_EQ(view_.files, std::vector<std::string>{"CARD.MAP"});
  form.Drive1_Change(1);  // usb: no medium
  EXPECT_EQ(view_.messages, std::vector<std::string>{"Drive not ready."});
  EXPECT_EQ(view_.drive, 0u);  // the drive that holds home, at its last folder
  EXPECT_EQ(form.file1_path(), maps_.native());

  // A last folder that has gone since leaves the drive at its root.
  form.Dir1_Open(view_.folder + 1);  // maps/more
  form.Drive1_Change(2);
  fs::remove_all(maps_ / "more");
  form.Drive1_Change(0);
  EXPECT_EQ(form.dir1_path(), disk_.native());
  EXPECT_EQ(view_.messages.size(), 1u);

#ifndef _WIN32
  form.Drive1_Change(2);
  // Home on the chosen drive, or on another with no medium: one message, and the lists stay together.
  for (const fs::path& home : {usb_ / "home", cdrom_ / "home"}) {
    tools::ScopedEnvironment variable("HOME", home.string());
    view_.messages.clear();
    form.Drive1_Change(1);
    EXPECT_EQ(view_.messages, std::vector<std::string>{"Drive not ready."}) << home;
    EXPECT_EQ(view_.drive, 2u);
    EXPECT_EQ(form.file1_path(), card_.native());
  }
#endif
}

TEST_F(Form1Test, ListsLeaveADriveThatGoes) {
  Form1& form = Load();
  form.Drive1_Change(2);  // card
  drives_.push_back({(temp_.path() / "stick").native(), "STICK"});
  form.Drive1_Refresh();
  EXPECT_EQ(view_.drives.size(), 5u);
  EXPECT_EQ(view_.drive, 2u);
  EXPECT_EQ(form.file1_path(), card_.native());

  drives_.erase(drives_.begin() + 2);  // the card is taken out: the lists go home
  form.Drive1_Refresh();
  EXPECT_EQ(view_.drives.size(), 4u);
  EXPECT_EQ(view_.drive, 0u);
  EXPECT_EQ(form.file1_path(), maps_.native());
  EXPECT_TRUE(view_.messages.empty());

  // A drive that stays listed while its medium goes (a card reader, a disc drive).
  drives_.insert(drives_.begin() + 2, {card_.native(), ""});
  form.Drive1_Refresh();
  form.Drive1_Change(2);
  fs::remove_all(card_);
  form.Drive1_Refresh();
  EXPECT_EQ(view_.drive, 0u);
  EXPECT_EQ(form.file1_path(), maps_.native());
  EXPECT_TRUE(view_.messages.empty());

  // Gone before a scan noticed: the drive is not ready, no map is missing.
  fs::create_directories(card_);
  tools::WriteFile(card_ / "CARD.MAP", tools::MapBytes({5}));
  form.Drive1_Change(2);
  fs::remove_all(card_);
  view_.text1 = Utf8(home_folder_);
  form.Command1_Click();
  EXPECT_EQ(view_.messages, std::vector<std::string>{"Drive not ready."});
  EXPECT_EQ(view_.drive, 0u);
  EXPECT_EQ(form.file1_path(), maps_.native());
}

TEST(Form1Text, LongWordsWrapAndNamesKeepToOneLine) {
  const std::string path = "/" + std::string(30, 'a') + "/" + std::string(70, 'b') + "/c.MAP";
  EXPECT_EQ(WrapLongWords("cannot open \"" + path + "\": gone", 40),
            "cannot open \"/" + std::string(30, 'a') + "/\r\n" + std::string(40, 'b') + "\r\n" +
                std::string(30, 'b') + "/c.MAP\": gone");
  EXPECT_EQ(WrapLongWords("/" + std::string(50, 'x'), 40), "/" + std::string(39, 'x') + "\r\n" + std::string(11, 'x'));
  const std::string words = "The folder: /x does not exist.\r\nIf you continue the report will be placed in '/'.";
  EXPECT_EQ(WrapLongWords(words, 12), words);
  EXPECT_EQ(WrapLongWords("\xC3\x9C\xC3\x9C\xC3\x9C", 2), "\xC3\x9C\xC3\x9C\r\n\xC3\x9C");  // characters, not bytes

  EXPECT_EQ(ShownName(platform::FromUtf8("NEW\nLINE\x7F\xC2\x85.MAP")), "NEW?LINE??.MAP");
#ifndef _WIN32
  EXPECT_EQ(ShownName("\xE9t\xE9.MAP"), "\xEF\xBF\xBDt\xEF\xBF\xBD.MAP");
#endif
}

#ifndef _WIN32
TEST_F(Form1Test, HomeThatIsNotUtf8IsTheDefaultReportFolder) {
  const fs::path home = temp_.path() / "h\xE9me";
  fs::create_directory(home);
  tools::ScopedEnvironment variable("HOME", home.string());
  Form1& form = Load();
  form.ReportFolderWarning();
  EXPECT_TRUE(view_.messages.empty());
  form.Command1_Click();
  EXPECT_EQ(Report(home).rfind(scan::ReportHeaderText(maps_.native(), 2), 0), 0u);
}
#endif

}  // namespace
}  // namespace window
