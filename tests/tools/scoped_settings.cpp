#include "scoped_settings.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <stdexcept>

namespace tools {

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
