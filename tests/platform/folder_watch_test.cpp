// The watched folder's changes as the system reports them: by name, in order.
#include "platform/folder_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "map_writer.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// What `watch` reports until `done` says that is all, or 5 s have passed.
FolderChanges TakeUntil(FolderWatch& watch, const std::function<bool(const FolderChanges&)>& done) {
  FolderChanges changes;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done(changes) && std::chrono::steady_clock::now() < give_up) {
    changes.Add(watch.Take());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return changes;
}

std::function<bool(const FolderChanges&)> Names(std::size_t count) {
  return [count](const FolderChanges& changes) { return changes.names.size() >= count; };
}

bool Unknown(const FolderChanges& changes) { return changes.unknown; }

NameChange Added(const char* name) { return {FromAscii(name), true}; }
NameChange Removed(const char* name) { return {FromAscii(name), false}; }

// A rename is the old name removed and the new one added; a folder watched
// before no longer counts, and the folder itself gone (on Linux) leaves it unknown.
TEST(FolderWatch, ReportsEachNameAddedRemovedOrRenamedInOrder) {
  tools::TempFolder temp;
  const fs::path maps = temp.path() / "maps";
  const fs::path other = temp.path() / "other";
  fs::create_directories(maps);
  fs::create_directories(other);
  tools::WriteFile(maps / "OLD.MAP", "");
  tools::WriteFile(maps / "GONE.MAP", "");
  FolderWatch watch;
  ASSERT_TRUE(watch.Watch(maps.native()));
  tools::WriteFile(maps / "NEW.MAP", "");
  fs::rename(maps / "OLD.MAP", maps / "RENAMED.MAP");
  fs::remove(maps / "GONE.MAP");
  fs::create_directory(maps / "sub");
  const std::vector<NameChange> expected = {Added("NEW.MAP"), Removed("OLD.MAP"), Added("RENAMED.MAP"),
                                            Removed("GONE.MAP"), Added("sub")};
  EXPECT_EQ(TakeUntil(watch, Names(expected.size())).names, expected);
  ASSERT_TRUE(watch.Watch(other.native()));
  tools::WriteFile(maps / "LATE.MAP", "");
  tools::WriteFile(other / "OTHER.MAP", "");
  EXPECT_EQ(TakeUntil(watch, Names(1)).names, std::vector<NameChange>{Added("OTHER.MAP")});
#ifndef _WIN32
  // Wine's ReadDirectoryChangesW names what was removed from a folder, then
  // says no more when the folder itself goes (see FolderLists::FollowChanges).
  fs::remove_all(other);
  EXPECT_TRUE(TakeUntil(watch, Unknown).unknown);
#endif
}

// More changes than the system keeps for a watch before they are taken.
TEST(FolderWatch, ChangesBeyondWhatTheSystemKeepsAreUnknown) {
  tools::TempFolder temp;
  FolderWatch watch;
  ASSERT_TRUE(watch.Watch(temp.path().native()));
  for (int i = 0; i < 10000; ++i) {
    tools::WriteFile(temp.path() / ("MAP" + std::to_string(i) + ".MAP"), "");
    fs::remove(temp.path() / ("MAP" + std::to_string(i) + ".MAP"));
  }
  const FolderChanges changes = TakeUntil(watch, Unknown);
  EXPECT_TRUE(changes.unknown);
  EXPECT_EQ(changes.names.size(), 0u);
}

}  // namespace
}  // namespace platform
