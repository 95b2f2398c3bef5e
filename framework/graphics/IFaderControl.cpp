#include "framework/graphics/IFaderControl.h"

#include "framework/graphics/IGraphics.h"

IFaderControl::IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, IBitmap* bitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx),
      mLen(len),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {
  if (direction == kVertical) {
    mHandleHeadroom = mBitmap.FrameHeight();
    mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.FrameWidth(), y + len);
  } else {
    mHandleHeadroom = mBitmap.FrameWidth();
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + mBitmap.FrameHeight());
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = GetValue();
  const int travel = mLen - mHandleHeadroom;
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  if (mDirection == kVertical) {
    const int top = mRECT.T + int((1.0 - value) * travel);
    return IRECT(mRECT.L, top, mRECT.L + w, top + h);
  }
  const int left = mRECT.L + int(value * travel);
  return IRECT(left, mRECT.T, left + w, mRECT.T + h);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  const double step = mod && (mod->S || mod->C) ? 0.001 : 0.01;
  mValue.store(GetValue() + d * step, std::memory_order_release);
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics) {
  IRECT handle = GetHandleRECT();
  return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}

void IFaderControl::SnapToMouse(int x, int y) {
  const int travel = mLen - mHandleHeadroom;
  if (travel <= 0) return;  // a handle as long as the track has nowhere to go
  const double v = mDirection == kVertical ? 1.0 - double(y - mRECT.T - mHandleHeadroom / 2) / travel
                                           : double(x - mRECT.L - mHandleHeadroom / 2) / travel;
  mValue.store(v, std::memory_order_release);
  SetDirty(true);
}
