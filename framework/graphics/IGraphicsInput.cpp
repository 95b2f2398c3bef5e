// Mouse, keys and value prompts: what the platform window hands over, in editor coordinates.
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

#include "framework/core/IEffectBase.h"
#include "framework/core/IParam.h"
#include "framework/graphics/KeyTable.h"

// ---- mouse and keys ----

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) const {
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* c = mControls[size_t(i)].get();
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return;
  IControl* c = mControls[size_t(idx)].get();
  mMouseCapture = idx;
  mMouseX = x;
  mMouseY = y;
  const int param = c->ParamIdx();
  if (param >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(param);
    mEditedParam = param;
  }
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  IControl* c = GetControl(mMouseCapture);
  if (!c) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  c->OnMouseDrag(x, y, dX, dY, mod);
  mMouseX = x;
  mMouseY = y;
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
  mMouseCapture = -1;
  if (IControl* c = GetControl(idx)) c->OnMouseUp(x, y, mod);
  EndParamEdit();
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return false;
  IControl* c = mControls[size_t(idx)].get();
  if (c->GetDblAsSingleClick()) {
    // The second click is a click like the first: capture and host gesture included.
    OnMouseDown(x, y, mod);
    return true;
  }
  // A double-click reset is one edit for the host, inside its own gesture.
  const int param = c->ParamIdx();
  if (param >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(param);
    mEditedParam = param;
  }
  c->OnMouseDblClick(x, y, mod);
  EndParamEdit();
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y);
  if (IControl* c = GetControl(idx)) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (!mHandleMouseOver) return false;
  const int idx = mMouseCapture >= 0 ? mMouseCapture : GetMouseControlIdx(x, y, true);
  if (mMouseOver >= 0 && mMouseOver != idx) {
    if (IControl* previous = GetControl(mMouseOver)) previous->OnMouseOut();
  }
  mMouseOver = idx;
  if (IControl* c = GetControl(idx)) c->OnMouseOver(x, y, mod);
  return true;
}

void IGraphics::OnMouseOut() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  for (auto& c : mControls) c->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (mMouseCapture > 0) return mControls[size_t(mMouseCapture)]->OnKeyDown(x, y, key);
  const int idx = GetMouseControlIdx(x, y);
  if (idx > 0) return mControls[size_t(idx)]->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

bool IGraphics::OnHostKey(int character, int virtualKey) {
  const int code = KeyTable::OfHostKey(character, virtualKey);
  return code != KEY_NONE && OnKeyDown(GetMouseX(), GetMouseY(), code);
}

void IGraphics::OnGUIIdle() {
  for (auto& c : mControls) c->OnGUIIdle();
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = -1;
  EndParamEdit();
}

void IGraphics::EndParamEdit() {
  // Only a gesture the host was told of is closed, once.
  if (mEditedParam >= 0 && mPlug) mPlug->EndInformHostOfParamChange(mEditedParam);
  mEditedParam = -1;
}

// ---- value prompts ----

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
  if (!control || !param || !rect) return;
  const int n = param->GetNDisplayTexts();
  if (param->Type() == IParam::kTypeEnum || (param->Type() == IParam::kTypeBool && n > 0)) {
    IPopupMenu menu;
    for (int i = 0; i < n; ++i) {
      int value = 0;
      const char* text = param->GetDisplayTextAtIdx(i, &value);
      menu.AddItem(text, value == param->Int());
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, rect);
    if (!chosen) return;
    int value = 0;
    param->GetDisplayTextAtIdx(chosen->GetChosenItemIdx(), &value);
    if (chosen->GetChosenItemIdx() >= 0) control->SetValueFromUserInput(param->GetNormalized(double(value)));
    return;
  }
  const std::string current = param->GetDisplayForHost();
  CreateTextEntry(control, control->GetText(), rect, current.c_str(), param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
  if (!control) return;
  const char* str = text ? text : "";
  if (!param) {
    control->TextFromTextEntry(str);
    return;
  }
  double value = 0.0;
  if (param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum) {
    int mapped = 0;
    value = param->MapDisplayText(str, &mapped) ? mapped : 0.0;
  } else {
    value = std::atof(str);
    if (std::isnan(value)) return;  // not a number: the entry changes nothing
    if (param->NegateDisplay()) value = -value;
  }
  value = std::clamp(value, param->Min(), param->Max());
  control->SetValueFromUserInput(param->GetNormalized(value));
}
