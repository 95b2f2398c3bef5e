#pragma once
// A handle bitmap that slides along a track; the pointer holds the handle's centre.

#include "framework/graphics/IControl.h"

class IFaderControl : public IControl {
 public:
  // Vertical: x .. x + handle width by y .. y + len; horizontal: x .. x + len by y .. y + handle height.
  IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);

  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  EDirection GetDirection() const { return mDirection; }
  // Handle rectangle for a value; a negative value means the current one.
  IRECT GetHandleRECT(double value = -1.0) const;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // 0.01 per notch, 0.001 with shift or control.
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;

  virtual void SnapToMouse(int x, int y);

 protected:
  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
