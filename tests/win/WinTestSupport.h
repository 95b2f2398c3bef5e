#pragma once
// Win32 plumbing of the Windows tests: a top-level window standing in for the host's, the message
// pump of the test thread, mouse messages, and a thread that answers the modal dialogs the plug-in
// opens (message boxes and file dialogs), so no test ever waits for a person.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// Runs the calling thread's message loop for the given time.
void Pump(int milliseconds);
// Pumps until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int milliseconds);

// A top-level window of the test thread: the parent the plug-in's editor opens in. It records the
// keys that reach it.
class HostWindow {
 public:
  HostWindow(int width = 800, int height = 500);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return mHwnd; }
  const std::vector<WPARAM>& Keys() const { return mKeys; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND mHwnd = nullptr;
  std::vector<WPARAM> mKeys;
};

// The editor window (class "ResonixWndClass") inside parent, or null.
HWND EditorWindowIn(HWND parent);

// A mouse message at client point (x, y), sent (handled before this returns).
void Mouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys = 0);
// Press and release of the left button at (x, y).
void Click(HWND hwnd, int x, int y);

// Answers the modal dialogs of this process from a thread of its own, one step after the other:
// waits for a dialog with the step's title, keeps the text of a message box, types the file name
// into a file dialog, then presses the step's button.
class DialogAnswerer {
 public:
  struct Step {
    std::string title;
    std::string fileName;  // UTF-8; non-empty: a file dialog, else a message box
    int button = IDOK;
  };

  explicit DialogAnswerer(std::vector<Step> steps, int timeoutMs = 20000);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // Stops the thread; true when every step was answered and no other dialog came up. Dialogs that
  // come up after the steps (or instead of them) are closed, so the test thread is never stuck.
  bool Finish();
  // The message box texts answered so far, in order.
  std::vector<std::string> Texts();

 private:
  void Run(std::vector<Step> steps, int timeoutMs);

  std::thread mThread;
  std::mutex mMutex;
  std::vector<std::string> mTexts;
  std::atomic<int> mAnswered{0};
  std::atomic<bool> mStop{false};
  std::atomic<bool> mUnexpected{false};
  int mSteps = 0;
};

// A fresh, empty folder in the temporary folder; its path with a trailing backslash.
std::string FreshFolder(const std::string& name);
// Bytes of a file, empty when it cannot be read.
std::vector<unsigned char> ReadBytes(const std::string& path);

}  // namespace wintest
