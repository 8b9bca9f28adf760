// Writes PG2 map files, and the files and folders around them, for the tests,
// the benchmark and the sample folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tools {

// The bytes of a whole map (12,610 bytes) whose record k holds
// codes[k % codes.size()]. Header and record filler bytes come from `seed`,
// so that different seeds give maps that differ everywhere but in their codes.
std::string MapBytes(const std::vector<int>& codes, std::uint32_t seed = 0);

// Writes `bytes` to `path`, replacing what is there.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The whole content of the file at `path`.
std::string ReadFile(const std::filesystem::path& path);

// A fresh, empty folder under the system's temporary folder, removed with its
// content when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tools
