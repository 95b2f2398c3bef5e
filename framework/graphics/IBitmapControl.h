#pragma once
// A picture of one frame of a bitmap; with a parameter the value picks the frame.

#include "framework/graphics/IControl.h"

class IBitmapControl : public IControl {
 public:
  IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  IBitmapControl(IEffectBase* plug, int x, int y, IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
      : IBitmapControl(plug, x, y, -1, bitmap, blendMethod) {}

  bool Draw(IGraphics* graphics) override;

  // Frame (1-based) the current value selects.
  int Frame() const;
  const IBitmap* GetBitmap() const { return &mBitmap; }

 protected:
  IBitmap mBitmap;
};
