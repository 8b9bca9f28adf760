#include "map_writer.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tools {

std::string MapBytes(const std::vector<int>& codes, std::uint32_t seed) {
  constexpr std::size_t kHeader = 10, kRecord = 7, kRecords = 1800;
  std::mt19937 random(seed);
  std::string bytes(kHeader + kRecord * kRecords, '\0');
  if (seed != 0) std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random() & 0xFF); });
  for (std::size_t k = 0; k < kRecords; ++k) {
    const auto code = static_cast<std::uint16_t>(codes.empty() ? 0 : codes[k % codes.size()]);
    bytes[kHeader + kRecord * k] = static_cast<char>(code & 0xFF);
    bytes[kHeader + kRecord * k + 1] = static_cast<char>(code >> 8);
  }
  return bytes;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TempFolder::TempFolder() {
  static std::random_device device;
  const auto base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("groundstyles-test-" + std::to_string(device()));
  } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_value_ = old;
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

ScopedEnvironment::~ScopedEnvironment() {
#ifdef _WIN32
  _putenv_s(name_, old_value_ ? old_value_->c_str() : "");  // an empty value removes it
#else
  old_value_ ? setenv(name_, old_value_->c_str(), 1) : unsetenv(name_);
#endif
}

#ifdef _WIN32
namespace {

// Where Windows keeps the user's folders; "Personal" is Documents.
constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SetDocumentsFolder(const std::wstring& folder) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, L"Personal", REG_EXPAND_SZ, folder.c_str(),
                  static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ScopedDocumentsFolder::ScopedDocumentsFolder(const std::filesystem::path& folder) {
  wchar_t old[4 * MAX_PATH];
  DWORD size = sizeof old;
  if (RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, L"Personal", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, old, &size) != ERROR_SUCCESS) {
    throw std::runtime_error("the system names no Documents folder");
  }
  old_folder_ = old;
  SetDocumentsFolder(folder.native());
}

ScopedDocumentsFolder::~ScopedDocumentsFolder() { SetDocumentsFolder(old_folder_); }
#endif

}  // namespace tools
