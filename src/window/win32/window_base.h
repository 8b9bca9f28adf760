// A top-level window of the system with a C++ object behind it: the window
// class registered once, one static window procedure that finds the object
// the window was made for and hands it each message, and the loops that run
// the thread's messages.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

class WindowBase {
 public:
  WindowBase() = default;
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;
  // Destroys the window, as the object goes rather than the user closing it: no WM_QUIT.
  virtual ~WindowBase();

  HWND hwnd() const { return hwnd_; }
  // Handles one queued message (dialog keys first); false when it is WM_QUIT.
  bool Dispatch(MSG& message);

 protected:
  // Makes the window, hidden; its messages reach OnMessage from WM_NCCREATE on.
  void Create(DWORD style, DWORD ex_style);
  // Destroys the window, as the destructor does: before what its controls use goes.
  void Destroy();
  // The answer to a message, or nothing to leave it to the system.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // Runs the thread's messages until WM_QUIT and returns its code. When
  // `wake` holds a handle, its being signalled calls `on_wake`.
  int RunMessages(const HANDLE& wake, const std::function<void()>& on_wake);
  // Runs `work` on a thread of its own and returns once it has ended;
  // meanwhile the window's messages go on, and `tick` runs every `tick_ms`.
  // The user's clicks and keys are dropped but for those PassesWhileBusy
  // lets through; closing the window (Alt+F4 among the ways) comes to
  // OnCloseWhileBusy, and the window stays.
  void RunBeside(const std::function<void()>& work, const std::function<void()>& tick, int tick_ms);
  bool busy() const { return busy_; }
  // Returns once the work RunBeside runs has ended; at once when none runs.
  void WaitForWork() const;
  // Whether the user's input `message` goes on while work runs.
  virtual bool PassesWhileBusy(const MSG& message) const = 0;
  // Closing the window was asked for while work runs.
  virtual void OnCloseWhileBusy() = 0;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  bool busy_ = false;  // work runs beside the window
  HANDLE work_done_ = nullptr;  // signalled when it has ended
};
