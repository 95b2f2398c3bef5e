// Where the plug-in base meets its editor.

#include "framework/core/IEffectBase.h"
#include "framework/graphics/IGraphics.h"

IEffectBase::~IEffectBase() { DeleteGraphics(); }

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
  graphics->PrepDraw();
  if (mGraphics && mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IEffectBase::RedrawParamControls() {
  Lock lock(mMutex);
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, mParams[size_t(i)]->Value(), false);
}
