// What both views' tests share: Form1's events recorded instead of handled,
// a view made and loaded with them, the rows of a deep folder and how Dir1
// must show them, Tab following the layout table's tab stops, input given
// while the window is busy with a slow piece of work, a request to close the
// window during a scan, and File1 and Form1 on a folder of 100,000 maps.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fake_drives.h"
#include "fake_report_file_system.h"
#include "form1.h"
#include "form1_events.h"
#include "form1_view.h"
#include "map_writer.h"
#include "platform/drives.h"

namespace tools {

// The notice Form1 puts in Label3 at start-up.
inline constexpr std::string_view kNotice = "NB: This tool will check for groundstyles in PG2 *.MAP files only."
    "Allthough other SSI-games has *.MAP files too, they have other recordlayout, which is not supported.";

// Each event the view passes on, as a line: "Drive1_Change 1".
class RecordingEvents : public window::Form1Events {
 public:
  void Form1_Load() override { events.push_back("Form1_Load"); }
  void Command1_Click() override { events.push_back("Command1_Click"); }
  void Command2_Click() override { events.push_back("Command2_Click"); }
  void Text1_LostFocus(window::FocusTarget target) override {
    events.push_back(target == window::FocusTarget::kControl ? "Text1_LostFocus control" : "Text1_LostFocus elsewhere");
  }
  void Drive1_Change(std::size_t index) override { events.push_back("Drive1_Change " + std::to_string(index)); }
  void Drive1_Refresh() override { events.push_back("Drive1_Refresh"); }
  void Dir1_Open(std::size_t row) override { events.push_back("Dir1_Open " + std::to_string(row)); }
  // "FolderChanged +ADDED.MAP -REMOVED.MAP", or "FolderChanged, names unknown".
  void FolderChanged(const platform::FolderChanges& changes) override {
    std::string event = changes.unknown ? "FolderChanged, names unknown" : "FolderChanged";
    for (const auto& [name, added] : changes.names) event += (added ? " +" : " -") + platform::ToUtf8(name);
    events.push_back(event);
  }
  void Form1_QueryUnload() override { events.push_back("Form1_QueryUnload"); }
  // The path in UTF-8, on POSIX its bytes as they are, that none lost may pass.
  void Form1_DragDrop(const platform::NativeString& path) override {
    const std::u8string text = std::filesystem::path(path).u8string();
    events.push_back("Form1_DragDrop " + std::string(text.begin(), text.end()));
  }

  // The events passed on since the last Take.
  std::vector<std::string> Take() { return std::exchange(events, {}); }
  std::vector<std::string> events;
};

// Dir1's rows for a folder seven levels down (row kDeepRow), a subfolder whose
// name is wider than the tree (the row after it) and one more.
inline constexpr std::size_t kDeepRow = 6;
inline std::vector<window::FolderRow> DeepFolderRows() {
  std::vector<window::FolderRow> rows;
  for (const char* name : {"/", "Users", "Player", "Documents", "My Games", "Panzer General 2", "Downloaded maps"}) {
    rows.push_back({name, static_cast<int>(rows.size()), true});
  }
  rows.push_back({"Campaign maps that a player collected over the years", 7, false});
  rows.push_back({"Old", 7, false});
  return rows;
}

// Tab pressed from the control with the focus visits the layout table's tab
// stops from the first in order, and comes round to it again. `control` gives
// a row's control, `focused` the control with the focus, `tab` presses Tab on one.
template <class ControlOf, class Focused, class Tab>
void ExpectTabFollowsTabStops(ControlOf control, Focused focused, Tab tab) {
  std::vector<decltype(focused())> expected, visited = {focused()};
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    if (layout.tab_stop) expected.push_back(control(layout));
  }
  expected.push_back(expected.front());
  while (visited.size() < expected.size()) {
    tab(visited.back());
    visited.push_back(focused());
  }
  EXPECT_EQ(visited, expected);
}

// A big folder's maps: "M000000.MAP" and on.
inline constexpr std::size_t kManyMaps = 100000;
// The maps of a big folder on disk. Wine makes each new file in a time that
// grows with its folder (it looks for the name in every case first), so
// under wine fewer, which it still takes over 100 ms to list.
#ifdef _WIN32
inline constexpr std::size_t kManyMapsOnDisk = 8000;
#else
inline constexpr std::size_t kManyMapsOnDisk = kManyMaps;
#endif
inline std::string ManyMapName(std::size_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "M%06zu.MAP", index);
  return name;
}

// File1 as a test sees it: its rows, a row's name as the list gives it, the
// row selected (-1: none), and a row selected and scrolled to the top.
struct File1Probe {
  std::function<std::size_t()> count;
  std::function<std::string(std::size_t)> text;
  std::function<int()> selected;
  std::function<void(std::size_t)> select;
  std::function<std::size_t()> top;
};

// Where Dir1 shows its highlighted row, from its icon to the end of its name,
// and how wide Dir1's inside is, in pixels.
struct ShownRow {
  int left, right, width;
};

// A view of the toolkit, loaded with recorded events.
template <class View>
class ViewTest : public ::testing::Test {
 protected:
  using Control = window::Control;
  using Events = std::vector<std::string>;
  void SetUp() override {
    view_ = std::make_unique<View>();
    view_->Load(events_);
    ASSERT_EQ(events_.Take(), Events{"Form1_Load"});
  }
  // Handles what the window has queued now.
  virtual void Pump() = 0;

  // Dir1 seven levels down shows the folder whole; a name longer than Dir1 is
  // wide shows from its icon on, and so does the root when the highlight moves
  // back to it. `highlight` measures the highlighted row.
  void ExpectDeepFolderShownWhole(const std::function<ShownRow()>& highlight) {
    const std::vector<window::FolderRow> rows = DeepFolderRows();
    view_->ShowFolders(rows, kDeepRow);
    ShownRow shown = highlight();
    EXPECT_GE(shown.left, 0);
    EXPECT_LE(shown.right, shown.width);
    view_->ShowFolders(rows, kDeepRow + 1);
    shown = highlight();
    EXPECT_GT(shown.right, shown.width);
    EXPECT_GE(shown.left, 0);
    EXPECT_LT(shown.left, shown.width / 2);
    view_->SelectFolder(0);
    EXPECT_GE(highlight().left, 0);
  }

  // Runs 1.5 s of work with RunBusy, Check1[0] ticked and `folder` in Text1.
  // `give_input` runs once from a tick after 300 ms, as the user's doings
  // would; `input_at_end` runs on the work's thread as it ends, while a tick
  // holds the window's thread, for input that arrives in its last moments and
  // waits in the queue behind the end. The window answers throughout (a tick
  // at least every 100 ms), and none of the input counts: no event, the box
  // still ticked, Text1 as it was.
  void ExpectInputDroppedWhileBusy(const std::string& folder, const std::function<void()>& give_input,
                                   const std::function<void()>& input_at_end) {
    using Clock = std::chrono::steady_clock;
    view_->SetText(Control::kText1, folder);
    view_->SetChecked(0, true);
    events_.Take();
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    std::int64_t longest_ms = 0;
    std::function<void()> pending = give_input;
    std::atomic<int> ending{0};  // 1: the work waits for a tick, 2: a tick waits for the input, 3: it is given
    const auto wait_for = [&ending](int stage) {
      while (ending < stage) std::this_thread::yield();
    };
    view_->RunBusy(
        [&] {
          std::this_thread::sleep_for(std::chrono::milliseconds(1500));
          ending = 1;
          wait_for(2);
          input_at_end();
          ending = 3;
        },
        [&] {
          const Clock::time_point now = Clock::now();
          longest_ms = std::max<std::int64_t>(longest_ms, (now - last) / std::chrono::milliseconds(1));
          last = now;
          if (now - start >= std::chrono::milliseconds(300) && pending) std::exchange(pending, nullptr)();
          int expected = 1;
          if (!ending.compare_exchange_strong(expected, 2)) return;
          wait_for(3);
          std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the work ends meanwhile
        });
    Pump();
    EXPECT_FALSE(pending);  // given
    EXPECT_LT(longest_ms, 100);
    EXPECT_TRUE(view_->IsChecked(0));
    EXPECT_EQ(view_->Text1Text(), folder);
    EXPECT_EQ(events_.Take(), Events{});
  }

  // File1 holds kManyMaps names and shows each row's own; rows inserted and
  // removed around the row selected keep it selected and in view (where the
  // row selected goes, the selection does as the toolkit's lists do).
  void ExpectFile1HoldsManyNames(const File1Probe& file1) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kManyMaps; ++i) names.push_back(ManyMapName(i));
    view_->ShowFiles(names);
    ASSERT_EQ(file1.count(), kManyMaps);
    file1.select(70000);
    EXPECT_EQ(file1.top(), 70000u);
    for (const std::size_t row : {std::size_t{0}, std::size_t{70000}, kManyMaps - 1}) {
      EXPECT_EQ(file1.text(row), ManyMapName(row));
    }
    view_->InsertFile(0, "A.MAP");
    view_->InsertFile(90000, "N.MAP");
    view_->RemoveFile(2);  // M000001.MAP
    EXPECT_EQ(file1.count(), kManyMaps + 1);
    EXPECT_EQ(file1.selected(), 70000);
    EXPECT_EQ(file1.top(), 70000u);
    const std::vector<std::pair<std::size_t, std::string>> rows = {
        {0, "A.MAP"}, {1, "M000000.MAP"}, {2, "M000002.MAP"}, {70000, "M070000.MAP"}, {89999, "N.MAP"},
        {kManyMaps, ManyMapName(kManyMaps - 1)}};
    for (const auto& [row, name] : rows) EXPECT_EQ(file1.text(row), name) << row;
    view_->RemoveFile(70000);
    EXPECT_EQ(file1.count(), kManyMaps);
    EXPECT_EQ(file1.text(70000), "M070001.MAP");
  }

  // Form1 on this view opens a folder of kManyMapsOnDisk maps from Dir1, as
  // the user does: the window answers throughout (`ticking` runs its work
  // with `tick` called about every 10 ms, and the longest gap stays under
  // 100 ms), and File1 ends with them all.
  void ExpectAnswersWhileManyMapsAreListed(
      const std::function<void(const std::function<void()>&, const std::function<void()>&)>& ticking,
      const std::function<std::size_t()>& file1_count) {
    using Clock = std::chrono::steady_clock;
    const std::filesystem::path maps = temp_.path() / "maps";
    std::filesystem::create_directory(maps);
    for (std::size_t i = 0; i < kManyMapsOnDisk; ++i) WriteFile(maps / ManyMapName(i), "");
    // The lists on the maps' parent folder, whose one subfolder follows a
    // row for the drive's root and one for each folder down to it.
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::current_path(temp_.path());
    const std::vector<platform::Drive> drives = {{temp_.path().root_path().native(), "ROOT"}};
    window::Form1 form(*view_, std::make_unique<FakeDrives>(drives));
    form.Form1_Load();
    std::filesystem::current_path(working);
    const std::filesystem::path below_root = temp_.path().relative_path();
    const auto maps_row = static_cast<std::size_t>(std::distance(below_root.begin(), below_root.end())) + 1;
    Clock::time_point last = Clock::now();
    std::int64_t longest_ms = 0;
    const auto tick = [&] {
      const Clock::time_point now = Clock::now();
      longest_ms = std::max<std::int64_t>(longest_ms, (now - last) / std::chrono::milliseconds(1));
      last = now;
    };
    ticking([&] { form.Dir1_Open(maps_row); }, tick);
    tick();
    EXPECT_LT(longest_ms, 100);
    EXPECT_EQ(form.file1_path(), maps.native());
    EXPECT_EQ(form.file1_names().size(), kManyMapsOnDisk);
    EXPECT_EQ(file1_count(), kManyMapsOnDisk);
  }

  // Form1 on a new view, its lists on two maps and Text1 on a folder that
  // holds an earlier report. `run` shows the window, posts a click on "Check mapfiles", then runs the
  // program's loop, calling its argument about every 20 ms, and returns the
  // loop's exit code; once the scan has made its new file (named here) beside
  // the report, it waits 250 ms. `close` asks to close the window as soon as
  // that file is there: the loop ends within half a second, with 0, the
  // earlier report as it was and nothing beside it.
  void ExpectCloseMidScanEndsAtOnce(const std::function<int(const std::function<void()>&)>& run,
                                    const std::function<void()>& close) {
    using Clock = std::chrono::steady_clock;
    const std::filesystem::path maps = temp_.path() / "maps";
    std::filesystem::create_directories(maps);
    std::filesystem::create_directories(reports_);
    WriteFile(maps / "KLIN.MAP", MapBytes({1}));
    WriteFile(maps / "OWN.MAP", MapBytes({3}));
    WriteFile(reports_ / "GroundStyles.txt", "earlier report");
    FakeReportFileSystem files;
    files.SetFaults({{.call = FakeReportFileSystem::Call::kSetMode, .named = true, .delay_ms = 250, .fails = false}});
    const std::vector<platform::Drive> drives = {{temp_.path().native(), "TEMP"}};
    view_ = std::make_unique<View>();
    window::Form1 form(*view_, std::make_unique<FakeDrives>(drives), files);
    const std::filesystem::path old_folder = std::filesystem::current_path();
    std::filesystem::current_path(maps);  // where the lists open
    view_->Load(form);
    std::filesystem::current_path(old_folder);
    view_->SetText(Control::kText1, platform::ToUtf8(reports_.native()));
    Clock::time_point closed;
    const int code = run([&] {
      if (closed == Clock::time_point() && ReportsBesideTheEarlier() == 1) {
        closed = Clock::now();
        close();
      }
    });
    const Clock::time_point ended = Clock::now();
    view_->Load(events_);  // Form1 goes
    ASSERT_NE(closed, Clock::time_point());
    EXPECT_LT(ended - closed, std::chrono::milliseconds(500));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFile(reports_ / "GroundStyles.txt"), "earlier report");
    EXPECT_EQ(ReportsBesideTheEarlier(), 0);
  }
  // What the report folder holds besides the earlier report.
  std::ptrdiff_t ReportsBesideTheEarlier() const {
    return std::distance(std::filesystem::directory_iterator(reports_), std::filesystem::directory_iterator()) - 1;
  }

  TempFolder temp_;
  std::filesystem::path reports_ = temp_.path() / "reports";
  RecordingEvents events_;
  std::unique_ptr<View> view_;
};

}  // namespace tools
