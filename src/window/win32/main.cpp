#include <windows.h>

#include <exception>

#include "form1.h"
#include "platform/text.h"
#include "win32_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Win32Window view;
    window::Form1 form(view, platform::SystemDrives());
    view.Load(form);
    return view.Run();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, platform::FromUtf8(error.what()).c_str(), L"Groundstyles", MB_OK | MB_ICONERROR);
    return 1;
  }
}
