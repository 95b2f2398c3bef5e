#include "framework/graphics/IBitmapControl.h"

#include "framework/graphics/IGraphics.h"

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IControl(plug, IRECT(), paramIdx, blendMethod), mBitmap(bitmap ? *bitmap : IBitmap()) {
  mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.FrameWidth(), y + mBitmap.FrameHeight());
}

int IBitmapControl::Frame() const {
  if (mBitmap.N < 2) return 1;
  const int frame = int(GetValue() * (mBitmap.N - 1) + 0.5) + 1;
  return frame < 1 ? 1 : frame > mBitmap.N ? mBitmap.N : frame;
}

bool IBitmapControl::Draw(IGraphics* graphics) {
  return graphics->DrawBitmap(&mBitmap, &mRECT, Frame(), &mBlend);
}
