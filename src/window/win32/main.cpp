#include <windows.h>

#include <shellapi.h>

#include <exception>

#include "form1.h"
#include "platform/text.h"
#include "win32_window.h"

namespace {

// The first argument after the program's name: the folder or map file that
// "Open with", a shortcut or a drop on the program's icon gives it; empty when none.
platform::NativeString StartPath() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return {};
  platform::NativeString path = count > 1 ? arguments[1] : L"";
  LocalFree(arguments);
  return path;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Win32Window view;
    window::Form1 form(view, platform::SystemDrives());
    form.SetStartPath(StartPath());
    view.Load(form);
    return view.Run();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, platform::FromUtf8(error.what()).c_str(), L"Groundstyles", MB_OK | MB_ICONERROR);
    return 1;
  }
}
