// Where the plug-in base meets its editor.

#include <algorithm>
#include <cmath>

#include "framework/core/IEffectBase.h"
#include "framework/graphics/IGraphics.h"

IEffectBase::~IEffectBase() {
  DeleteGraphics();
}

void IEffectBase::DeleteGraphics() {
  IGraphics* graphics = nullptr;
  {
    Lock lock(mMutex);
    graphics = mGraphics;
    mGraphics = nullptr;
  }
  delete graphics;
}

void IEffectBase::AttachGraphics(IGraphics* graphics) {
  if (!graphics) return;
  Lock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    graphics->SetParameterFromPlug(i, mParams[size_t(i)]->GetNormalized(), true);
  if (mGraphics && mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IEffectBase::RedrawParamControls() {
  Lock lock(mMutex);
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, mParams[size_t(i)]->Value(), false);
}

void IEffectBase::SetParameterFromHost(int paramIdx, double normalizedValue) {
  Lock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param || !std::isfinite(normalizedValue)) return;
  normalizedValue = std::clamp(normalizedValue, 0.0, 1.0);
  if (mGraphics) mGraphics->SetParameterFromPlug(paramIdx, normalizedValue, true);
  param->SetNormalized(normalizedValue);
  OnParamChange(paramIdx);
}
