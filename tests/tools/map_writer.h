// Writes PG2 map files for tests, the benchmark and the sample folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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

// Sets an environment variable for the life of the object (HOME, mostly).
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_value_;
};

#ifdef _WIN32
// Moves the user's Documents folder to `folder` for the life of the object,
// as a user may move it to another drive (in the registry, where the system
// keeps it: wine has no call for it).
class ScopedDocumentsFolder {
 public:
  explicit ScopedDocumentsFolder(const std::filesystem::path& folder);
  ~ScopedDocumentsFolder();
  ScopedDocumentsFolder(const ScopedDocumentsFolder&) = delete;
  ScopedDocumentsFolder& operator=(const ScopedDocumentsFolder&) = delete;

 private:
  std::wstring old_folder_;
};
#endif

}  // namespace tools
