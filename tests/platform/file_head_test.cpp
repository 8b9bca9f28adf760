#include "platform/file_head.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "map_writer.h"
#include "threads_and_files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(FolderFiles, ReadsUpToCapacityByNameAndNamesTheWholePathWhenItCannot) {
  tools::TempFolder temp;
  fs::create_directory(temp.path() / "sub");
  tools::WriteFile(temp.path() / "sub" / "A.MAP", "0123456789");
  tools::WriteFile(temp.path() / "B.MAP", "de");
  unsigned char buffer[8];
  std::size_t length = 0;
  const FolderFiles folder(temp.path().native());
  // Bare names, names with a folder, and a name starting with the separator,
  // which stays inside the folder as the joined path does.
  for (const auto& [name, size] : {std::pair("B.MAP", 2u), {"sub/A.MAP", 8u}, {"/B.MAP", 2u}}) {
    ASSERT_TRUE(folder.ReadFileHead(name, buffer, sizeof buffer, &length).ok()) << name;
    EXPECT_EQ(length, size) << name;
  }
  EXPECT_EQ(FolderFiles("/no/such").ReadFileHead("C.MAP", buffer, sizeof buffer, &length).message(),
            "cannot open \"/no/such/C.MAP\": No such file or directory");
  EXPECT_EQ(folder.ReadFileHead(std::string("B.MAP\0x", 7), buffer, sizeof buffer, &length).message(),
            "cannot open \"" + temp.path().string() + "/B.MAP?x\": Invalid argument");
}

// Many files read at once (through the kernel's ring, where it offers one)
// give what one at a time gives, file for file: bytes, lengths and failures,
// with pipes and devices refused unread, and no file left open. (Opening a
// pipe through the ring may start a kernel worker of the process's own, which
// ends by itself a few seconds later: the files alone are counted.)
TEST(FileHeadReader, ReadsManyFilesAsOneAtATimeDoes) {
  tools::TempFolder temp;
  const fs::path& root = temp.path();
  fs::create_directory(root / "sub");
  std::string whole(40, 'x');
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<char>('A' + i % 26);
  tools::WriteFile(root / "LONG.MAP", whole);
  tools::WriteFile(root / "SHORT.MAP", "abc");
  tools::WriteFile(root / "EMPTY.MAP", "");
  tools::WriteFile(root / "sub" / "IN.MAP", "inside");
  ASSERT_EQ(mkfifo((root / "PIPE.MAP").c_str(), 0600), 0);
  fs::create_symlink("/dev/null", root / "DEVICE.MAP");
  // Runs of names the ring takes, broken by names it does not (a whole
  // path, a NUL), and more than one pass of it.
  const std::vector<NativeString> kinds = {"LONG.MAP",   "SHORT.MAP", "EMPTY.MAP",  "GONE.MAP",
                                           "sub",        "sub/IN.MAP", "PIPE.MAP",  "DEVICE.MAP",
                                           "/SHORT.MAP", std::string("LONG.MAP\0x", 10)};
  std::vector<NativeString> names;
  for (int round = 0; round < 5; ++round) names.insert(names.end(), kinds.begin(), kinds.end());
  const FolderFiles folder(root.native());
  constexpr std::size_t kCapacity = 16;
  const auto files = [] {
    const std::string threads_and_files = tools::ThreadsAndFiles();
    return threads_and_files.substr(threads_and_files.find(", "));
  };
  const std::string open_files = files();
  std::vector<Status> statuses(names.size());
  std::vector<std::size_t> lengths(names.size());
  {
    FileHeadReader reader(folder, kCapacity);
    for (const std::size_t count : {names.size(), std::size_t{2}}) {
      reader.Read(std::span(names).first(count), std::span(statuses).first(count), std::span(lengths).first(count));
      for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(names[i]);
        unsigned char expected[kCapacity];
        std::size_t expected_length = 99;
        const Status one = folder.ReadFileHead(names[i], expected, kCapacity, &expected_length);
        EXPECT_EQ(statuses[i].message(), one.message());
        EXPECT_EQ(statuses[i].ok(), one.ok());
        ASSERT_EQ(lengths[i], expected_length);
        EXPECT_EQ(std::string(reader.Head(i), reader.Head(i) + lengths[i]),
                  std::string(expected, expected + expected_length));
      }
    }
  }
  EXPECT_EQ(files(), open_files);
  // What one at a time gives, for the record: the long file up to the capacity, the others refused.
  EXPECT_EQ(lengths[0], kCapacity);
  EXPECT_EQ(statuses[4].message(), "cannot read \"" + (root / "sub").string() + "\": Is a directory");
  EXPECT_EQ(statuses[6].message(), "cannot read \"" + (root / "PIPE.MAP").string() + "\": not a regular file");
  EXPECT_EQ(statuses[7].message(), "cannot read \"" + (root / "DEVICE.MAP").string() + "\": not a regular file");
}

}  // namespace
}  // namespace platform
