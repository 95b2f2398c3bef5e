#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>
#include <wininet.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "framework/core/IEffectBase.h"
#include "framework/core/IParam.h"
#include "framework/graphics/KeyTable.h"
#include "framework/graphics/win/WinKnownFolder.h"
#include "raster/PngCodec.h"
#include "raster/RasterBitmap.h"

namespace {
std::mutex gClassMutex;
int gWindowCount = 0;  // editor windows of the process; the class lives while it is above 0

IGraphicsWin* EditorOf(HWND hwnd) {
  return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Message box icon by caption: errors get the error icon, everything else the information icon.
UINT IconFor(const char* caption) {
  return caption && std::strcmp(caption, "Error") == 0 ? MB_ICONERROR : MB_ICONINFORMATION;
}

COLORREF RefOf(const IColor& c) {
  return RGB(c.R, c.G, c.B);
}

// The folder part of a path ("C:\a\b.rzn" -> "C:\a").
std::string FolderOf(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

void ModuleFolder(HMODULE module, std::string* path) {
  char buffer[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(module, buffer, DWORD(sizeof buffer));
  *path = n > 0 && n < sizeof buffer ? FolderOf(std::string(buffer, n)) : std::string();
}
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

// ---- window ----

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
  HWND hwnd = CreateWindowA(kWindowClass, "Resonix", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
                            parent, nullptr, instance, this);
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

LRESULT CALLBACK IGraphicsWin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* editor = static_cast<IGraphicsWin*>(create->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(editor));
    editor->mHwnd = hwnd;
  }
  IGraphicsWin* editor = EditorOf(hwnd);
  if (!editor) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // The host may destroy its window before it closes the editor: forget the handle.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (editor->mHwnd == hwnd) editor->mHwnd = nullptr;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  return editor->HandleMessage(msg, wParam, lParam);
}

LRESULT IGraphicsWin::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const int fps = FPS() > 0 ? FPS() : kDefaultFPS;
      SetTimer(mHwnd, kTimerId, UINT(1000 / fps), nullptr);
      SetFocus(mHwnd);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(mHwnd, kTimerId);
      DestroyTextEntry();
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId) OnTimerTick();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // everything is painted from the draw bitmap
    case WM_DPICHANGED: {
      // Moved to a monitor of another density: draw at it, and tell the host the new size.
      if (ScaleFromHost()) return 0;
      const double scale = GetScale();
      SetScale(ScaleOfDpi(HIWORD(wParam)));
      if (GetScale() != scale && GetPlug()) GetPlug()->ResizeGraphics(DeviceWidth(), DeviceHeight());
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
      MouseButton(msg, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE: {
      const int x = ToEditor(GET_X_LPARAM(lParam)), y = ToEditor(GET_Y_LPARAM(lParam));
      IMouseMod mod(wParam & MK_LBUTTON, wParam & MK_RBUTTON, wParam & MK_SHIFT, wParam & MK_CONTROL,
                    GetKeyState(VK_MENU) < 0);
      if (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) {
        if (GetCapture() == mHwnd && !mEditWnd) OnMouseDrag(x, y, &mod);
      } else if (OnMouseOver(x, y, &mod) && !mTrackingMouse) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE | TME_HOVER, mHwnd, HOVER_DEFAULT};
        mTrackingMouse = TrackMouseEvent(&track) != 0;
      }
      return 0;
    }
    case WM_MOUSEHOVER:
      mTrackingMouse = false;
      return 0;
    case WM_MOUSELEAVE:
      mTrackingMouse = false;
      OnMouseOut();
      return 0;
    case WM_MOUSEWHEEL: {
      if (mEditWnd) {
        // Scrolling away from an entry drops it.
        mEditState = EditState::kCancel;
        return 0;
      }
      POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(mHwnd, &p);
      const WORD keys = GET_KEYSTATE_WPARAM(wParam);
      IMouseMod mod(keys & MK_LBUTTON, keys & MK_RBUTTON, keys & MK_SHIFT, keys & MK_CONTROL,
                    GetKeyState(VK_MENU) < 0);
      OnMouseWheel(ToEditor(p.x), ToEditor(p.y), &mod, GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
      return 0;
    }
    case WM_SYSKEYDOWN:
      // Alt combinations are the host's (menus, closing its window).
      if (mParent) return SendMessageA(mParent, msg, wParam, lParam);
      break;
    case WM_KEYDOWN: {
      const int code = KeyCodeOf(unsigned(wParam));
      POINT p = {};
      GetCursorPos(&p);
      ScreenToClient(mHwnd, &p);
      if (code != KEY_NONE && OnKeyDown(ToEditor(p.x), ToEditor(p.y), code)) return 0;
      // Keys no control takes belong to the host.
      if (mParent) return SendMessageA(mParent, msg, wParam, lParam);
      return DefWindowProcA(mHwnd, msg, wParam, lParam);
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_CTLCOLOREDIT: {
      if (reinterpret_cast<HWND>(lParam) != mEditWnd || !mEditWnd) break;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RefOf(mEditText.mTextEntryFGColor));
      SetBkColor(dc, RefOf(mEditText.mTextEntryBGColor));
      return reinterpret_cast<LRESULT>(mEditBrush);
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == mTooltipWnd && header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        const int idx = GetMouseOver();
        IControl* c = GetControl(idx);
        info->lpszText = const_cast<char*>(c && c->GetTooltip()[0] ? c->GetTooltip() : "");
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(mHwnd, msg, wParam, lParam);
}

void IGraphicsWin::MouseButton(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = ToEditor(GET_X_LPARAM(lParam)), y = ToEditor(GET_Y_LPARAM(lParam));
  // The flags of an up message no longer hold the released button; the editor still wants to know it.
  WPARAM keys = wParam;
  if (msg == WM_LBUTTONUP) keys |= MK_LBUTTON;
  if (msg == WM_RBUTTONUP) keys |= MK_RBUTTON;
  if (msg == WM_MBUTTONUP) keys |= MK_MBUTTON;
  IMouseMod mod(keys & MK_LBUTTON, keys & MK_RBUTTON, keys & MK_SHIFT, keys & MK_CONTROL,
                GetKeyState(VK_MENU) < 0);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // the class takes double-clicks; only the left one means one
    case WM_MBUTTONDBLCLK:
      if (mEditWnd) {
        mEditState = EditState::kCommit;
        mSwallowRelease = true;
        return;
      }
      SetFocus(mHwnd);
      SetCapture(mHwnd);
      OnMouseDown(x, y, &mod);
      return;
    case WM_LBUTTONDBLCLK:
      if (mEditWnd) {
        mEditState = EditState::kCommit;
        mSwallowRelease = true;
        return;
      }
      if (OnMouseDblClick(x, y, &mod)) SetCapture(mHwnd);
      return;
    default:
      if (GetCapture() == mHwnd) ReleaseCapture();
      // The release of a press that only ended a text entry is not a click of its own.
      if (mSwallowRelease) {
        mSwallowRelease = false;
        return;
      }
      OnMouseUp(x, y, &mod);
      return;
  }
}

int IGraphicsWin::KeyCodeOf(unsigned vk) {
  // Virtual keys 'a'..'z' are the numeric pad and function keys, not letters.
  return KeyTable::OfSymbol({VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}, vk, false);
}

// ---- repaint ----

void IGraphicsWin::OnTimerTick() {
  if (!mHwnd || mDrawDepth > 0) return;
  if (mEditWnd && (mEditState == EditState::kCommit || mEditState == EditState::kCancel)) {
    EndTextEntry();
    return;
  }
  IRECT dirty;
  if (IsDirty(&dirty)) {
    dirty = ToDevice(dirty);
    RECT r = {dirty.L, dirty.T, dirty.R, dirty.B};
    InvalidateRect(mHwnd, &r, FALSE);
    UpdateWindow(mHwnd);
  }
}

void IGraphicsWin::Paint() {
  PAINTSTRUCT ps = {};
  HDC dc = BeginPaint(mHwnd, &ps);
  if (!dc) return;
  // The editor pixels that cover the window's update area.
  IRECT r;
  if (ps.rcPaint.right > ps.rcPaint.left && ps.rcPaint.bottom > ps.rcPaint.top)
    r = IRECT(ToEditor(ps.rcPaint.left), ToEditor(ps.rcPaint.top), ToEditor(ps.rcPaint.right - 1) + 1,
              ToEditor(ps.rcPaint.bottom - 1) + 1);
  mPaintDC = dc;
  if (mDrawDepth > 0) {
    // A notice shown while drawing: the picture drawn so far is copied, nothing is drawn again.
    DrawScreen(&r);
  } else if (!r.Empty()) {
    ++mDrawDepth;
    Draw(&r);
    --mDrawDepth;
  }
  mPaintDC = nullptr;
  EndPaint(mHwnd, &ps);
}

bool IGraphicsWin::EnsureScreenBitmap() {
  // A resized editor needs a screen copy of its new size.
  if (mScreenBitmap && (mScreenW != DeviceWidth() || mScreenH != DeviceHeight())) ReleaseScreenBitmap();
  if (mScreenBitmap) return true;
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = DeviceWidth();
  bmi.bmiHeader.biHeight = -DeviceHeight();  // top-down, as the draw bitmap
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  mScreenDC = CreateCompatibleDC(nullptr);
  if (!mScreenDC) return false;
  mScreenBitmap = CreateDIBSection(mScreenDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!mScreenBitmap || !bits) {
    ReleaseScreenBitmap();
    return false;
  }
  mScreenPixels = static_cast<unsigned*>(bits);
  mScreenW = DeviceWidth();
  mScreenH = DeviceHeight();
  mScreenBitmapOld = SelectObject(mScreenDC, mScreenBitmap);
  return true;
}

void IGraphicsWin::ReleaseScreenBitmap() {
  if (mScreenDC && mScreenBitmapOld) SelectObject(mScreenDC, static_cast<HGDIOBJ>(mScreenBitmapOld));
  if (mScreenBitmap) DeleteObject(mScreenBitmap);
  if (mScreenDC) DeleteDC(mScreenDC);
  mScreenDC = nullptr;
  mScreenBitmap = nullptr;
  mScreenBitmapOld = nullptr;
  mScreenPixels = nullptr;
}

bool IGraphicsWin::DrawScreen(IRECT* rect) {
  RasterBitmap* draw = GetDrawBitmap();
  if (!rect || !mPaintDC || !draw || !EnsureScreenBitmap()) return false;
  const IRECT r = ToDevice(*rect).Intersect(
      IRECT(0, 0, std::min(DeviceWidth(), draw->Width()), std::min(DeviceHeight(), draw->Height())));
  if (r.Empty()) return true;
  // 0xAARRGGBB in memory is the byte order of a 32-bit DIB (blue first).
  for (int y = r.T; y < r.B; ++y)
    std::memcpy(mScreenPixels + size_t(y) * size_t(mScreenW) + size_t(r.L), draw->Row(y) + r.L,
                size_t(r.W()) * 4);
  GdiFlush();
  BitBlt(mPaintDC, r.L, r.T, r.W(), r.H(), mScreenDC, r.L, r.T, SRCCOPY);
  return true;
}

// ---- text entry ----

void IGraphicsWin::CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                                   IParam* param) {
  if (!control || !text || !textRect || !mHwnd || mEditWnd) return;
  DWORD align = ES_LEFT;
  if (text->mAlign == IText::kAlignCenter) align = ES_CENTER;
  if (text->mAlign == IText::kAlignFar) align = ES_RIGHT;
  const IRECT r = ToDevice(*textRect);
  mEditWnd = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | align, r.L, r.T, r.W() + 1,
                           r.H() + 1, mHwnd, nullptr, static_cast<HINSTANCE>(Module()), nullptr);
  if (!mEditWnd) return;
  mEditText = *text;
  mEditControl = control;
  mEditParam = param;
  mEditFont =
      CreateFontA(ToDevice(text->mSize), 0, 0, 0, text->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                  text->mStyle == IText::kStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text->mFont);
  mEditBrush = CreateSolidBrush(RefOf(text->mTextEntryBGColor));
  SendMessageA(mEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mEditFont), 0);
  SendMessageA(mEditWnd, EM_LIMITTEXT, WPARAM(std::max(1, control->GetTextEntryLength())), 0);
  SetWindowTextA(mEditWnd, str ? str : "");
  SetWindowLongPtrA(mEditWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  mEditOldProc = reinterpret_cast<void*>(
      SetWindowLongPtrA(mEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EditProc)));
  mEditState = EditState::kNone;
  SendMessageA(mEditWnd, EM_SETSEL, 0, -1);
  SetFocus(mEditWnd);
}

LRESULT CALLBACK IGraphicsWin::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  IGraphicsWin* editor = EditorOf(hwnd);
  if (!editor || editor->mEditWnd != hwnd || !editor->mEditOldProc)
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  return editor->HandleEditMessage(msg, wParam, lParam);
}

LRESULT IGraphicsWin::HandleEditMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(mEditOldProc);
  switch (msg) {
    case WM_SETFOCUS:
      mEditState = EditState::kEditing;
      break;
    case WM_KILLFOCUS:
      if (mEditState == EditState::kEditing || mEditState == EditState::kNone)
        mEditState = EditState::kCommit;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        mEditState = EditState::kCommit;
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        mEditState = EditState::kCancel;
        return 0;
      }
      break;
    case WM_CHAR: {
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;  // handled as keys; no beep
      if (wParam == VK_BACK || !mEditParam) break;
      const char c = char(wParam);
      const bool digitOrSign = (c >= '0' && c <= '9') || c == '+' || c == '-';
      const bool isDouble = mEditParam->Type() == IParam::kTypeDouble;
      if (!digitOrSign && !(isDouble && c == '.')) return 0;
      break;
    }
    default:
      break;
  }
  return CallWindowProcA(old, mEditWnd, msg, wParam, lParam);
}

void IGraphicsWin::EndTextEntry() {
  const EditState state = mEditState;
  char text[32] = {};
  if (mEditWnd && state == EditState::kCommit) GetWindowTextA(mEditWnd, text, int(sizeof text));
  IControl* control = mEditControl;
  IParam* param = mEditParam;
  DestroyTextEntry();
  if (state == EditState::kCommit && control) SetFromStringAfterPrompt(control, param, text);
}

void IGraphicsWin::DestroyTextEntry() {
  HWND edit = mEditWnd;
  // Cleared first: destroying the entry takes its focus away, which must not commit it again.
  mEditWnd = nullptr;
  mEditState = EditState::kNone;
  mEditControl = nullptr;
  mEditParam = nullptr;
  if (edit) {
    if (mEditOldProc) SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEditOldProc));
    DestroyWindow(edit);
  }
  mEditOldProc = nullptr;
  if (mEditFont) DeleteObject(mEditFont);
  if (mEditBrush) DeleteObject(mEditBrush);
  mEditFont = nullptr;
  mEditBrush = nullptr;
  if (mHwnd) SetFocus(mHwnd);
}

void IGraphicsWin::ForceEndUserEdit() {
  if (mEditWnd) mEditState = EditState::kCancel;
}

// ---- menus, notices, dialogs ----

namespace {
// Items get command ids 1, 2, ... in the order they are added, submenus included.
void BuildMenu(HMENU hmenu, IPopupMenu* menu, std::vector<std::pair<IPopupMenu*, int>>* commands) {
  for (int i = 0; i < menu->GetNItems(); ++i) {
    IPopupMenuItem* item = menu->GetItem(i);
    if (IPopupMenu* sub = item->GetSubmenu()) {
      HMENU child = CreatePopupMenu();
      BuildMenu(child, sub, commands);
      AppendMenuA(hmenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(child), item->GetText().c_str());
      continue;
    }
    commands->emplace_back(menu, i);
    UINT flags = MF_STRING | (item->GetChecked() ? MF_CHECKED : MF_UNCHECKED);
    if (item->GetText() == "-") flags = MF_SEPARATOR;
    AppendMenuA(hmenu, flags, UINT_PTR(commands->size()), item->GetText().c_str());
  }
}
}  // namespace

IPopupMenu* IGraphicsWin::CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) {
  if (!menu || !areaRect || !mHwnd) return nullptr;
  ReleaseMouseCapture();
  if (GetCapture() == mHwnd) ReleaseCapture();
  HMENU hmenu = CreatePopupMenu();
  if (!hmenu) return nullptr;
  std::vector<std::pair<IPopupMenu*, int>> commands;
  BuildMenu(hmenu, menu, &commands);
  POINT p = {ToDevice(areaRect->L), ToDevice(areaRect->B)};
  ClientToScreen(mHwnd, &p);
  const int chosen =
      int(TrackPopupMenu(hmenu, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, mHwnd, nullptr));
  DestroyMenu(hmenu);
  InvalidateRect(mHwnd, nullptr, FALSE);
  SetAllControlsDirty();
  if (chosen <= 0 || chosen > int(commands.size())) return nullptr;
  IPopupMenu* holder = commands[size_t(chosen) - 1].first;
  holder->SetChosenItemIdx(commands[size_t(chosen) - 1].second);
  return holder;
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type) {
  ReleaseMouseCapture();
  if (mHwnd && GetCapture() == mHwnd) ReleaseCapture();
  HWND owner = mHwnd ? GetAncestor(mHwnd, GA_ROOT) : nullptr;
  return MessageBoxA(owner, text ? text : "", caption ? caption : "", UINT(type) | IconFor(caption));
}

void IGraphicsWin::ShowNotice(const char* text, const char* caption) {
  MessageBoxA(nullptr, text ? text : "", caption ? caption : "Info", MB_OK | IconFor(caption) | MB_TASKMODAL);
}

void IGraphicsWin::PromptForFile(std::string* file, EFileAction action, std::string* dir,
                                 const char* extensions) {
  if (!file) return;
  if (!mHwnd) {
    file->clear();
    return;
  }
  // "rzn rza" -> "*.rzn;*.rza", which serves as description and pattern; presets have their own name.
  std::string patterns, firstExt;
  const std::string exts = extensions ? extensions : "";
  for (size_t at = 0; at < exts.size();) {
    const size_t end = std::min(exts.find(' ', at), exts.size());
    if (end > at) {
      const std::string ext = exts.substr(at, end - at);
      if (firstExt.empty()) firstExt = ext.substr(0, 15);
      patterns += (patterns.empty() ? "*." : ";*.") + ext;
    }
    at = end + 1;
  }
  const bool preset = firstExt == "rzn";
  std::string filter;
  if (!patterns.empty()) {
    filter = (preset ? std::string("RZN file") : patterns) + '\0' + patterns + '\0';
    filter += '\0';
  }
  std::string folder = dir && !dir->empty() ? *dir : std::string();
  if (folder.empty()) DesktopPath(&folder);

  // Room for any path the dialog may return; the initial name is cut to fit it.
  std::vector<char> buffer(32768, '\0');
  const std::string initial = file->substr(0, buffer.size() - 1);
  std::memcpy(buffer.data(), initial.data(), initial.size());

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mHwnd;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = DWORD(buffer.size());
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = firstExt.empty() ? nullptr : firstExt.c_str();
  // The host's working folder stays where it was.
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  const bool save = action == kFileSave;
  if (preset) ofn.lpstrTitle = save ? "Save Preset" : "Load Preset";
  ReleaseMouseCapture();
  if (GetCapture() == mHwnd) ReleaseCapture();
  BOOL ok = FALSE;
  if (save) {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    ok = GetSaveFileNameA(&ofn);
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ok = GetOpenFileNameA(&ofn);
  }
  file->clear();
  if (!ok) return;
  *file = std::string(buffer.data());
  if (dir) *dir = FolderOf(*file);
}

bool IGraphicsWin::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure) {
  if (!url || !url[0]) return false;
  if (confirmMsg && ShowMessageBox(confirmMsg, msgWindowTitle ? msgWindowTitle : "Info", kMB_YESNO) != kIDYES)
    return false;
  // Only a web address needs the network; local pages open offline too.
  const bool web = std::strncmp(url, "http:", 5) == 0 || std::strncmp(url, "https:", 6) == 0;
  DWORD state = 0;
  if (!web || InternetGetConnectedState(&state, 0)) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(mHwnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errMsgOnFailure) ShowMessageBox(errMsgOnFailure, "Error", kMB_OK);
  return false;
}

// ---- folders and resources ----

void IGraphicsWin::HostPath(std::string* path) {
  if (path) ModuleFolder(nullptr, path);
}

void IGraphicsWin::PluginPath(std::string* path) {
  if (path) ModuleFolder(static_cast<HMODULE>(Module()), path);
}

void IGraphicsWin::DesktopPath(std::string* path) {
  if (path && !WinKnownFolder(WinFolder::kDesktop, path)) path->clear();
}

void IGraphicsWin::AppSupportPath(std::string* path, bool isSystem) {
  if (path && !WinKnownFolder(isSystem ? WinFolder::kProgramData : WinFolder::kRoamingAppData, path))
    path->clear();
}

std::unique_ptr<RasterBitmap> IGraphicsWin::OSLoadBitmap(int id, const char* name) {
  if (!name) return nullptr;
  const char* dot = std::strrchr(name, '.');
  if (!dot || _stricmp(dot + 1, "png") != 0) return nullptr;
  const HMODULE module = static_cast<HMODULE>(Module());
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
  if (!info) return nullptr;
  const DWORD size = SizeofResource(module, info);
  HGLOBAL data = size > 7 ? LoadResource(module, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return nullptr;
  return PngCodec::Decode(static_cast<const uint8_t*>(bytes), size);
}
