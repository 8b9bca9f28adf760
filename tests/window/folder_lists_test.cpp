// The drive, folder and file lists on a temporary machine: where each move
// leaves them and what it says.
#include "folder_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <utility>

#include "fake_drives.h"
#include "ordinary_user.h"
#include "temp_machine.h"

namespace window {
namespace {

namespace fs = std::filesystem;

class FolderListsTest : public tools::TempMachineTest {
 protected:
  // The lists opened on `folder`, as the program opens them on its working
  // folder, with their slow work on a thread of its own.
  std::string Open(const fs::path& folder) {
    // Each listing begins with the watch; once, when `on_watch_` is set, a
    // change comes as soon as the watch begins.
    const auto watch = [this](const platform::NativeString& watched) {
      ++listings_;
      if (on_watch_) std::exchange(on_watch_, nullptr)(watched);
    };
    const auto beside = [](const std::function<void()>& work) { std::thread(work).join(); };
    lists_ = std::make_unique<FolderLists>(std::make_unique<tools::FakeDrives>(drives_), watch, beside);
    return Did(lists_->Open(folder.native()));
  }
  // Where a move left the lists: Drive1's entry, the folder File1 lists, and
  // the messages it gave.
  std::string Did(ListsChange change) {
    if (change.folders) rows_ = *change.folders;
    if (change.folder) row_ = *change.folder;
    if (change.drive) drive_ = *change.drive;
    if (change.files) files_ = *change.files;
    for (const FileRowChange& row : change.file_rows) {
      const auto at = files_.begin() + static_cast<std::ptrdiff_t>(row.row);
      if (row.inserted) {
        files_.insert(at, *row.inserted);
      } else {
        files_.erase(at);
      }
    }
    std::string text = std::to_string(drive_) + ": " + Utf8(lists_->file1_path());
    for (const std::string& message : change.messages) text += " | " + message;
    change_ = std::move(change);
    return text;
  }
  // The user opens the row of the subfolder `name` of the folder shown.
  std::string OpenRow(const std::string& name) {
    const FolderRow row{name, static_cast<int>(row_) + 1};
    return Did(lists_->OpenRow(static_cast<std::size_t>(std::find(rows_.begin(), rows_.end(), row) - rows_.begin())));
  }
  std::string Pick(std::size_t drive) { return Did(lists_->ChooseDrive(drive)); }

  std::unique_ptr<FolderLists> lists_;
  ListsChange change_;  // the last move's
  std::vector<FolderRow> rows_;
  std::size_t row_ = 99;
  std::size_t drive_ = 99;
  std::vector<std::string> files_;  // File1's entries, as the changes leave them
  int listings_ = 0;
  std::function<void(const fs::path&)> on_watch_;
};

platform::NameChange Added(const std::string& name) { return {fs::path(name).native(), true}; }
platform::NameChange Removed(const std::string& name) { return {fs::path(name).native(), false}; }

// The lists open on the working folder and its drive, be it a second volume
// or a root that ends in its separator; rows opened move them down, twice and
// more, into another volume from "/", and row 0 back up to the drive's root.
TEST_F(FolderListsTest, OpenOnTheWorkingFolderAndRowsOpenedMoveTheLists) {
  fs::create_directory(maps_ / "more" / "deep");
  struct Case {
    fs::path start;
    std::size_t start_drive;
    fs::path target;
    std::size_t target_drive;
  };
  std::vector<Case> cases = {{maps_, 0, maps_ / "more" / "deep", 0}, {card_, 2, card_, 2}};
#ifndef _WIN32
  drives_.push_back({"/", ""});
  cases.push_back({"/", 4, maps_, 0});
#endif
  for (const auto& [start, start_drive, target, drive] : cases) {
    EXPECT_EQ(Open(start), std::to_string(start_drive) + ": " + Utf8(start));
    for (const fs::path& name : target.lexically_relative(start)) {
      if (name != ".") OpenRow(Utf8(name));
    }
    EXPECT_EQ(lists_->file1_path(), target.native());
    const fs::path root = drives_[drive].root;
    EXPECT_EQ(rows_.at(row_).text, Utf8(row_ == 0 ? root : target.filename()));
    EXPECT_EQ(Did(lists_->OpenRow(0)), std::to_string(drive) + ": " + Utf8(root));
  }
}

#ifndef _WIN32
// A folder the user may enter but not list, as the working folder and as a row
// opened: the lists show it empty, or keep the folder shown and its highlight,
// and the message says why.
TEST_F(FolderListsTest, AFolderThatCannotBeListedShowsEmptyOrStaysUnopenedAndSaysWhy) {
  const fs::path locked = maps_ / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  const std::string seen = tools::AsOrdinaryUser([&] {
    std::string shown = Open(locked);
    shown += ", " + rows_.at(row_).text + "; ";
    Did(lists_->OpenRow(row_ - 1));
    shown += OpenRow("locked");
    return shown + ", " + rows_.at(row_).text;
  });
  const std::string why = " | cannot list \"" + Utf8(locked) + "\": Permission denied";
  EXPECT_EQ(seen, "0: " + Utf8(locked) + why + ", locked; 0: " + Utf8(maps_) + why + ", maps");
}
#endif

// File1 is watched before it is listed, so that a map added as soon as the
// watch begins shows; maps and folders added, renamed or removed show when
// the disk changes.
TEST_F(FolderListsTest, TheListsFollowTheFolderOnDisk) {
  on_watch_ = [](const fs::path& watched) { tools::WriteFile(watched / "NEW.MAP", tools::MapBytes({5})); };
  Open(maps_);
  EXPECT_EQ(change_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "OWN.MAP"}));
  const std::size_t maps_row = row_;
  fs::rename(maps_ / "OWN.MAP", maps_ / "ZED.MAP");
  fs::create_directory(maps_ / "added");
  Did(lists_->FollowDisk());
  EXPECT_EQ(change_.files, (std::vector<std::string>{"klin.map", "NEW.MAP", "ZED.MAP"}));
  EXPECT_EQ(rows_.back(), (FolderRow{"more", static_cast<int>(maps_row) + 1, false}));
  EXPECT_EQ(rows_.at(maps_row + 1), (FolderRow{"added", static_cast<int>(maps_row) + 1, false}));
  // A folder removed is no longer offered, even to a row opened before the disk said so.
  fs::remove(maps_ / "added");
  EXPECT_EQ(Did(lists_->OpenRow(maps_row + 1)), "0: " + Utf8(maps_));
  EXPECT_EQ(rows_.at(maps_row + 1).text, "more");
}

// What the system names reaches File1 row by row, each map at its place in
// the order, and Dir1 with it, without the folder listed again; many at once
// fill File1 anew. A queue that overflowed names nothing: the folder is
// listed again.
TEST_F(FolderListsTest, NamedChangesReachTheListsWithoutTheFolderListedAgain) {
  Open(maps_);
  const int listed = listings_;
  tools::WriteFile(maps_ / "ARRACT.MAP", tools::MapBytes({5}));
  fs::rename(maps_ / "OWN.MAP", maps_ / "ZED.MAP");
  fs::remove(maps_ / "klin.map");
  fs::create_directory(maps_ / "new");
  tools::WriteFile(maps_ / "notes.txt", "");
  Did(lists_->FollowChanges({.names = {Added("ARRACT.MAP"), Removed("OWN.MAP"), Added("ZED.MAP"), Removed("klin.map"),
                                       Added("new"), Added("notes.txt")}}));
  EXPECT_FALSE(change_.files);
  EXPECT_EQ(files_, (std::vector<std::string>{"ARRACT.MAP", "ZED.MAP"}));
  EXPECT_EQ(rows_.at(row_ + 2), (FolderRow{"new", static_cast<int>(row_) + 1, false}));
  platform::FolderChanges many;
  for (int i = 0; i < 40; ++i) {
    tools::WriteFile(maps_ / ("M" + std::to_string(10 + i) + ".MAP"), "");
    many.names.push_back(Added("M" + std::to_string(10 + i) + ".MAP"));
  }
  Did(lists_->FollowChanges(many));
  EXPECT_EQ(files_.size(), 42u);
  EXPECT_EQ(files_.at(1), "M10.MAP");
  EXPECT_EQ(listings_, listed);
  fs::remove(maps_ / "ZED.MAP");
  Did(lists_->FollowChanges({.names = {}, .unknown = true}));
  EXPECT_EQ(listings_, listed + 1);
  EXPECT_EQ(files_.back(), "M49.MAP");
}

TEST_F(FolderListsTest, AFolderThatWentLeavesForTheNearestFolderLeft) {
  fs::create_directory(maps_ / "more" / "deep");
  Open(maps_ / "more" / "deep");
  fs::remove_all(maps_ / "more");
  EXPECT_EQ(Did(lists_->FollowDisk()), "0: " + Utf8(maps_));
  EXPECT_FALSE(change_.drive_gone);
  // Named only by what was removed from it, as wine names it.
  fs::create_directory(maps_ / "more");
  tools::WriteFile(maps_ / "more" / "LAST.MAP", "");
  Open(maps_ / "more");
  fs::remove_all(maps_ / "more");
  EXPECT_EQ(Did(lists_->FollowChanges({.names = {Removed("LAST.MAP")}})), "0: " + Utf8(maps_));
}

TEST_F(FolderListsTest, ADriveNotReadyFallsBackToTheHomeDriveAtItsLastFolder) {
  Open(maps_);
  Pick(2);
  EXPECT_EQ(Pick(1), "0: " + Utf8(maps_) + " | Drive not ready.");
  // A last folder that has gone since leaves the drive at its root.
  OpenRow("more");
  Pick(2);
  fs::remove(maps_ / "more");
  EXPECT_EQ(Pick(0), "0: " + Utf8(disk_));
}

#ifndef _WIN32
// Home on the drive chosen, or on another with no medium: one message, and
// the lists stay together where they were.
TEST_F(FolderListsTest, HomeOnADriveNotReadyLeavesTheListsWhereTheyWere) {
  Open(card_);
  for (const fs::path& home : {usb_ / "home", cdrom_ / "home"}) {
    tools::ScopedEnvironment variable("HOME", home.string());
    EXPECT_EQ(Pick(1), "2: " + Utf8(card_) + " | Drive not ready.") << home;
  }
}
#endif

TEST_F(FolderListsTest, DrivesListedAgainKeepTheDriveShown) {
  Open(card_);
  drives_.insert(drives_.begin(), {(temp_.path() / "stick").native(), "STICK"});
  EXPECT_EQ(Did(lists_->FollowDrives()), "3: " + Utf8(card_));
}

// A drive that stays listed while its medium goes (a card reader, a disc
// drive), and one taken out: the lists go home.
TEST_F(FolderListsTest, ADriveWhoseMediumOrVolumeWentGoesHome) {
  const fs::path stick = temp_.path() / "stick";
  drives_.insert(drives_.begin(), {stick.native(), "STICK"});
  for (const fs::path& root : {usb_, stick}) {
    fs::create_directory(root);
    Open(root);
    fs::remove(root);
    if (root == stick) drives_.erase(drives_.begin());
    EXPECT_EQ(Did(lists_->FollowDrives()), (root == usb_ ? "1: " : "0: ") + Utf8(disk_));
    EXPECT_TRUE(change_.drive_gone);
  }
}

}  // namespace
}  // namespace window
