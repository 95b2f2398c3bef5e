// The Win32 editor window: its class, opening and closing inside the host's window, the screen
// density it draws at, and its tooltips. Messages, screen copy, text entry, menus, dialogs and
// resources live in the IGraphicsWin*.cpp files beside this one.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <commctrl.h>

#include <mutex>

#include "framework/core/IEffectBase.h"

namespace {
std::mutex gClassMutex;
int gWindowCount = 0;  // editor windows of the process; the class lives while it is above 0
}  // namespace

IGraphicsWin::IGraphicsWin(IEffectBase* plug, int w, int h, int refreshFPS)
    : IGraphics(plug, w, h, refreshFPS) {}

IGraphicsWin::~IGraphicsWin() {
  CloseWindow();
  ReleaseScreenBitmap();
}

void* IGraphicsWin::Module() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&IGraphicsWin::Module), &module);
  return module ? module : GetModuleHandleA(nullptr);
}

int IGraphicsWin::WindowCount() {
  std::lock_guard<std::mutex> lock(gClassMutex);
  return gWindowCount;
}

// ---- screen density ----

namespace {
// GetDpiForWindow exists from Windows 10 1607 on; older systems have one DPI for the whole screen.
unsigned DpiOf(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (hwnd && getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? unsigned(dpi) : 96u;
}
}  // namespace

void IGraphicsWin::SetScale(double scale) {
  const double before = GetScale();
  IGraphics::SetScale(scale);
  if (GetScale() == before || !mHwnd) return;
  SetWindowPos(mHwnd, nullptr, 0, 0, DeviceWidth(), DeviceHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(mHwnd, nullptr, FALSE);
}

void IGraphicsWin::FollowDesktopScale() {
  if (!ScaleFromHost()) SetScale(ScaleOfDpi(DpiOf(mHwnd)));
}

// ---- window ----

void* IGraphicsWin::OpenWindow(void* parentWnd) {
  HWND parent = static_cast<HWND>(parentWnd);
  if (!parent || !IsWindow(parent)) return nullptr;
  CloseWindow();
  const HINSTANCE instance = static_cast<HINSTANCE>(Module());
  {
    std::lock_guard<std::mutex> lock(gClassMutex);
    if (gWindowCount == 0) {
      WNDCLASSA wc = {};
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = &IGraphicsWin::WndProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.lpszClassName = kWindowClass;
      RegisterClassA(&wc);
    }
    ++gWindowCount;
    mCounted = true;
  }
  FollowDesktopScale();
  int x = 0, y = 0, w = DeviceWidth(), h = DeviceHeight();
  if (mHasLastRect) {
    x = mLastX;
    y = mLastY;
    w = mLastW;
    h = mLastH;
  }
  mParent = parent;
  HWND hwnd =
      CreateWindowA(kWindowClass, ThePlugDescription().windowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                    x, y, w, h, parent, nullptr, instance, this);
  if (!hwnd) {
    mParent = nullptr;
    std::lock_guard<std::mutex> lock(gClassMutex);
    mCounted = false;
    if (--gWindowCount == 0) UnregisterClassA(kWindowClass, instance);
    return nullptr;
  }
  // A window on a monitor of another density than the system's draws at its own.
  const double scale = GetScale();
  FollowDesktopScale();
  if (GetScale() != scale && GetPlug()) GetPlug()->ResizeGraphics(DeviceWidth(), DeviceHeight());
  SetAllControlsDirty();
  if (mTooltipsEnabled) CreateTooltips();
  return hwnd;
}

void IGraphicsWin::CloseWindow() {
  if (mTooltipWnd) {
    DestroyWindow(mTooltipWnd);
    mTooltipWnd = nullptr;
  }
  if (mHwnd) {
    RECT r = {};
    if (GetWindowRect(mHwnd, &r)) {
      MapWindowPoints(HWND_DESKTOP, GetParent(mHwnd), reinterpret_cast<POINT*>(&r), 2);
      mLastX = r.left;
      mLastY = r.top;
      mLastW = r.right - r.left;
      mLastH = r.bottom - r.top;
      mHasLastRect = mLastW > 0 && mLastH > 0;
    }
    ReleaseMouseCapture();
    // Its children, an open text entry among them, go with it.
    DestroyWindow(mHwnd);
    mHwnd = nullptr;
  }
  mParent = nullptr;
  if (mCounted) {
    std::lock_guard<std::mutex> lock(gClassMutex);
    mCounted = false;
    if (--gWindowCount == 0) UnregisterClassA(kWindowClass, static_cast<HINSTANCE>(Module()));
  }
  ReleaseDrawBitmaps();
}

void* IGraphicsWin::GetWindow() {
  return mHwnd;
}

void IGraphicsWin::CreateTooltips() {
  INITCOMMONCONTROLSEX init = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  mTooltipWnd = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mHwnd, nullptr,
                                static_cast<HINSTANCE>(Module()), nullptr);
  if (!mTooltipWnd) return;
  // One tool over the whole editor; its text is asked for when it shows (the control under the mouse).
  TOOLINFOA ti = {};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = mHwnd;
  ti.lpszText = LPSTR_TEXTCALLBACKA;
  GetClientRect(mHwnd, &ti.rect);
  SendMessageA(mTooltipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}
