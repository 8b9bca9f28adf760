// A temporary machine for the lists' and Form1's tests: the drive "disk" holds
// the home folder (on Windows it is C:, which holds the user's Documents, the
// home folder's stand-in) and the working folder "maps", with two maps and the
// subfolder "more"; the drive "card" holds a map; the drives "usb" and "cdrom"
// have no medium. Except on Windows, the home folder's name is not UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "map_writer.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "scoped_settings.h"

namespace tools {

class TempMachineTest : public ::testing::Test {
 protected:
  using Path = std::filesystem::path;

  void SetUp() override {
    for (const Path& folder : {maps_ / "more", card_, home_folder_}) std::filesystem::create_directories(folder);
    WriteFile(maps_ / "klin.map", MapBytes({9, 1}));
    WriteFile(maps_ / "OWN.MAP", MapBytes({3, 99}));
    WriteFile(card_ / "CARD.MAP", MapBytes({5}));
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(maps_);
  }
  void TearDown() override { std::filesystem::current_path(old_cwd_); }

  static std::string Utf8(const Path& path) { return platform::ToUtf8(path.native()); }
  // The home folder as Text1 shows it.
  static std::string Home() { return platform::ToUtf8(platform::ReportFallbackFolder()); }

  TempFolder temp_;
#ifdef _WIN32
  Path disk_ = L"C:\\";
  Path maps_ = temp_.path() / "maps";
  Path home_folder_ = maps_;
  ScopedDocumentsFolder documents_{home_folder_};  // so that reports stay in the test's folders
#else
  Path disk_ = temp_.path() / "disk";
  Path maps_ = disk_ / "maps";
  Path home_folder_ = disk_ / "h\xE9me";
  ScopedEnvironment home_{"HOME", home_folder_.string()};
#endif
  Path card_ = temp_.path() / "card";
  Path usb_ = temp_.path() / "usb";
  Path cdrom_ = temp_.path() / "cdrom";
  std::vector<platform::Drive> drives_ = {
      {disk_.native(), "DISK"}, {usb_.native(), ""}, {card_.native(), ""}, {cdrom_.native(), ""}};
  Path old_cwd_;
};

}  // namespace tools
