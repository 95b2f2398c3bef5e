// The text entry: a single-line EDIT child over the control, committed by Return or a click
// elsewhere, cancelled by Escape or the wheel; it takes only what the parameter can hold.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <algorithm>

#include "framework/core/IParam.h"
#include "framework/graphics/win/WinEditorHelpers.h"

using WinEditor::EditorOf;
using WinEditor::RefOf;

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
