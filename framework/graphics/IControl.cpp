#include "framework/graphics/IControl.h"

#include <algorithm>

#include "framework/core/IEffectBase.h"
#include "framework/core/IParam.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ITextControl.h"

IControl::IControl(IEffectBase* plug, IRECT rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f) {}

IControl::~IControl() = default;

IParam* IControl::GetParam() const {
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  const double def = GetDefaultValue();
  if (def >= 0.0) {
    mValue.store(def, std::memory_order_release);
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value) {
  if (GetDefaultValue() < 0.0) {
    // The first value from the plug-in is the one a double-click restores.
    mDefaultValue.store(value, std::memory_order_release);
    mValue.store(value, std::memory_order_release);
    return;
  }
  if (value != GetValue()) {
    // Redraw before dirty: a SetClean running on the editor thread meanwhile cannot lose both.
    mValue.store(value, std::memory_order_release);
    mRedraw.store(true, std::memory_order_release);
    SetDirty(false);
  }
}

void IControl::SetValueFromUserInput(double value) {
  if (value != GetValue()) {
    mValue.store(value, std::memory_order_release);
    mRedraw.store(true, std::memory_order_release);
    SetDirty(true);
  }
}

void IControl::Hide(bool hide) {
  mHide = hide;
  mRedraw.store(true, std::memory_order_release);
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y) {
  return mTargetRECT.Contains(x, y);
}

void IControl::SetDirty(bool pushParamToPlug) {
  const double lo = GetClampLo(), hi = GetClampHi();
  const double value = GetValue();
  // NaN is caught too: a value that is not a number becomes the low end.
  const double clamped = value >= lo ? std::min(value, hi) : lo;
  if (clamped != value) mValue.store(clamped, std::memory_order_release);
  mDirty.store(true, std::memory_order_release);
  if (pushParamToPlug && mPlug && mParamIdx >= 0) {
    mPlug->SetParameterFromGUI(mParamIdx, clamped);
    UpdateValDisplay();
    SetAllAuxParamsFromGUI();
  }
}

void IControl::SetClean() {
  // Cleared first, then re-set from redraw: a value stored meanwhile by another thread (which sets
  // redraw before dirty) keeps the control dirty.
  mDirty.store(false, std::memory_order_release);
  if (mRedraw.exchange(false, std::memory_order_acq_rel)) mDirty.store(true, std::memory_order_release);
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  if (AuxParam* aux = GetAuxParam(auxParamIdx)) {
    aux->mValue = value;
    mRedraw.store(true, std::memory_order_release);
    SetDirty(false);
  }
}

void IControl::Clamp(double lo, double hi) {
  mClampLo.store(lo, std::memory_order_relaxed);
  mClampHi.store(hi, std::memory_order_relaxed);
  mClamped = true;
}

void IControl::PromptUserInput() {
  IParam* param = GetParam();
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (mDisablePrompt || !param || !graphics) return;
  graphics->PromptUserInput(this, param, &mRECT);
  mRedraw.store(true, std::memory_order_release);
}

void IControl::UpdateValDisplay() {
  IParam* param = GetParam();
  if (!mValDisplayControl || !param) return;
  std::string text = param->GetDisplayForHost();
  text += " ";
  text += param->GetLabelForHost();
  if (auto* display = dynamic_cast<ITextControl*>(mValDisplayControl)) display->SetTextFromPlug(text.c_str());
}

void IControl::AddAuxParam(int paramIdx) {
  mAuxParams.push_back(AuxParam{0.0, paramIdx});
}

IControl::AuxParam* IControl::GetAuxParam(int idx) {
  return idx >= 0 && idx < NAuxParams() ? &mAuxParams[size_t(idx)] : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < NAuxParams(); ++i) {
    if (mAuxParams[size_t(i)].mParamIdx == paramIdx) return i;
  }
  return -1;
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (const AuxParam& aux : mAuxParams) mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
}
