// The window procedure: mouse, wheel, keys, density changes and tooltips turned into editor calls.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "framework/core/IEffectBase.h"
#include "framework/graphics/KeyTable.h"
#include "framework/graphics/win/WinEditorHelpers.h"

using WinEditor::EditorOf;
using WinEditor::RefOf;

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
