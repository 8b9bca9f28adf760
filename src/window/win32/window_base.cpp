#include "window_base.h"

#include <stdexcept>
#include <thread>

namespace {

constexpr wchar_t kClassName[] = L"GroundstylesForm1";

// Input the user gives the window or its controls, dropped while work runs
// beside it. Clicks on the window's own frame stay, so that it can be moved
// and minimised, and closed from its close box or its menu.
bool IsUserInput(const MSG& message, HWND window) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) return true;
  if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) return true;
  return message.message >= WM_NCMOUSEMOVE && message.message <= WM_NCXBUTTONDBLCLK && message.hwnd != window;
}

// Alt+F4, which the system's own handling of the key turns into a close.
bool IsAltF4(const MSG& message) {
  return message.message == WM_SYSKEYDOWN && message.wParam == VK_F4 && (HIWORD(message.lParam) & KF_ALTDOWN) != 0;
}

ATOM RegisterWindowClass(WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  return RegisterClassExW(&window_class);
}

}  // namespace

WindowBase::~WindowBase() { Destroy(); }

void WindowBase::Destroy() {
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void WindowBase::Create(DWORD style, DWORD ex_style) {
  static const ATOM registered = RegisterWindowClass(WindowProc);
  if (registered == 0) throw std::runtime_error("cannot register the window class");
  CreateWindowExW(ex_style, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw std::runtime_error("cannot create the window");
}

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_CLOSE:
      // The close box, Alt+F4, the system menu's Close, an end-task request:
      // the window is not destroyed under the work.
      if (!self->busy_) break;
      self->OnCloseWhileBusy();
      return 0;
    case WM_SETCURSOR:
      if (!self->busy_) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_DESTROY:
      self->hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  if (const std::optional<LRESULT> result = self->OnMessage(message, wparam, lparam)) return *result;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool WindowBase::Dispatch(MSG& message) {
  if (message.message == WM_QUIT) return false;
  if (hwnd_ == nullptr || !IsDialogMessageW(hwnd_, &message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

int WindowBase::RunMessages(const HANDLE& wake, const std::function<void()>& on_wake) {
  for (;;) {
    const DWORD handles = wake == INVALID_HANDLE_VALUE ? 0 : 1;
    const DWORD woke = MsgWaitForMultipleObjectsEx(handles, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (handles == 1 && woke == WAIT_OBJECT_0) {
      on_wake();
      continue;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!Dispatch(message)) return static_cast<int>(message.wParam);
    }
  }
}

void WindowBase::RunBeside(const std::function<void()>& work, const std::function<void()>& tick, int tick_ms) {
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) throw std::runtime_error("cannot create an event");
  busy_ = true;
  work_done_ = done;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  std::thread worker([&] {
    work();
    SetEvent(done);
  });
  bool quit = false;
  WPARAM quit_code = 0;
  DWORD last_tick = GetTickCount();
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &done, static_cast<DWORD>(tick_ms), QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;  // for the loop outside, once the work is done
        quit_code = message.wParam;
        continue;
      }
      if (IsAltF4(message)) {
        PostMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
        continue;
      }
      if (IsUserInput(message, hwnd_)) {
        if (PassesWhileBusy(message)) Dispatch(message);
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (GetTickCount() - last_tick >= static_cast<DWORD>(tick_ms)) {
      last_tick = GetTickCount();
      tick();
    }
  }
  worker.join();
  work_done_ = nullptr;
  CloseHandle(done);
  // What the user gave in the last moments waits in the queue: dropped too.
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
         PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  busy_ = false;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void WindowBase::WaitForWork() const {
  if (work_done_ != nullptr) WaitForSingleObject(work_done_, INFINITE);
}
