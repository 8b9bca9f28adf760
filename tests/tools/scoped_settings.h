// Settings of the user's that a test changes for its own life: an
// environment variable, and on Windows where the Documents folder is.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tools {

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
