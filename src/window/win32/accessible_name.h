// The name a screen reader gives a control (MSAA, and UI Automation through
// it), where the control's own text gives none or another.
#pragma once

#include <windows.h>

#include <string_view>

// From now on `control` is called `name` (UTF-8); the control keeps a copy.
void SetAccessibleName(HWND control, std::string_view name);
