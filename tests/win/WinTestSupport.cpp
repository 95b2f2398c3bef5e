#include "win/WinTestSupport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace wintest {
namespace {
constexpr const char* kHostClass = "ResonixTestHost";
// File dialog controls that take the file name: the explorer style's combo box, the old style's edit.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
// The text of a message box.
constexpr int kMessageText = 0xffff;
// Messages to the test thread's windows never wait longer: it may be busy, or waiting for us.
constexpr UINT kSendTimeoutMs = 3000;

// The title without a message to the window's thread (which may be waiting for this one).
std::string TitleOf(HWND hwnd) {
  wchar_t wide[256] = {};
  const int n = InternalGetWindowText(hwnd, wide, 256);
  char text[512] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, n, text, sizeof text - 1, nullptr, nullptr);
  return text;
}

std::string MessageTextOf(HWND dlg) {
  char text[1024] = {};
  DWORD_PTR result = 0;
  if (HWND item = GetDlgItem(dlg, kMessageText))
    SendMessageTimeoutA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        kSendTimeoutMs, &result);
  return text;
}

struct Search {
  const std::string* title;  // null: any dialog
  bool fileDialog;
  const std::set<HWND>* done;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd) || search->done->count(hwnd)) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) != "#32770") return TRUE;
  if (!search->title) {
    search->found = hwnd;
    return FALSE;
  }
  if (*search->title != TitleOf(hwnd)) return TRUE;
  const bool isFile = GetDlgItem(hwnd, kFileNameCombo) || GetDlgItem(hwnd, kFileNameEdit);
  const bool isMessage = GetDlgItem(hwnd, kMessageText) != nullptr;
  if ((search->fileDialog && isFile) || (!search->fileDialog && isMessage && !isFile)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

void Pump(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

HostWindow::HostWindow(int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &HostWindow::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kHostClass;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);  // fails harmlessly once registered
  mHwnd = CreateWindowA(kHostClass, "Resonix test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                        10, 10, width, height, nullptr, nullptr, wc.hInstance, this);
  Pump(20);
}

HostWindow::~HostWindow() {
  if (mHwnd) DestroyWindow(mHwnd);
  Pump(10);
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && msg == WM_KEYDOWN) {
    self->mKeys.push_back(wParam);
    return 0;
  }
  if (self && msg == WM_NCDESTROY) self->mHwnd = nullptr;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND EditorWindowIn(HWND parent) {
  return FindWindowExA(parent, nullptr, "ResonixWndClass", nullptr);
}

void Mouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys) {
  SendMessageA(hwnd, msg, keys, MAKELPARAM(x, y));
}

void Click(HWND hwnd, int x, int y) {
  Mouse(hwnd, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  Mouse(hwnd, WM_LBUTTONUP, x, y, 0);
}

DialogAnswerer::DialogAnswerer(std::vector<Step> steps, int timeoutMs) : mSteps(int(steps.size())) {
  mThread = std::thread(
      [this, steps = std::move(steps), timeoutMs]() mutable { Run(std::move(steps), timeoutMs); });
}

DialogAnswerer::~DialogAnswerer() {
  Finish();
}

bool DialogAnswerer::Finish() {
  mStop = true;
  if (mThread.joinable()) mThread.join();
  return mAnswered.load() == mSteps && !mUnexpected.load();
}

std::vector<std::string> DialogAnswerer::Texts() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mTexts;
}

void DialogAnswerer::Run(std::vector<Step> steps, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::set<HWND> done;
  for (const Step& step : steps) {
    Search search{&step.title, !step.fileName.empty(), &done, nullptr};
    while (!search.found && !mStop.load() && std::chrono::steady_clock::now() < end) {
      EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
      if (!search.found) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!search.found) break;
    HWND dlg = search.found;
    done.insert(dlg);
    // Let the dialog finish its own set-up before it is answered.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    if (step.fileName.empty()) {
      const std::string text = MessageTextOf(dlg);
      std::lock_guard<std::mutex> lock(mMutex);
      mTexts.push_back(text);
    } else {
      const int field = GetDlgItem(dlg, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
      DWORD_PTR result = 0;
      // Typed as UTF-16: the name may hold characters the ANSI code page lacks.
      std::wstring name(step.fileName.size() + 1, L'\0');
      name.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, step.fileName.data(), int(step.fileName.size()),
                                             name.data(), int(name.size()))));
      SendMessageTimeoutW(GetDlgItem(dlg, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                          SMTO_NORMAL, kSendTimeoutMs, &result);
    }
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(step.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg, step.button)));
    ++mAnswered;
  }
  // Anything else that comes up is noted and closed until the test is done.
  while (!mStop.load()) {
    Search any{nullptr, false, &done, nullptr};
    EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&any));
    if (any.found) {
      done.insert(any.found);
      const std::string text = "unexpected " + TitleOf(any.found) + ": " + MessageTextOf(any.found);
      {
        std::lock_guard<std::mutex> lock(mMutex);
        mTexts.push_back(text);
      }
      mUnexpected = true;
      PostMessageA(any.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      PostMessageA(any.found, WM_CLOSE, 0, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string FreshFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::filesystem::path folder = std::filesystem::path(temp) / ("resonix-" + name);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  std::filesystem::create_directories(folder, ec);
  return folder.string() + "\\";
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace wintest
