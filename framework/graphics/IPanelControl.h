#pragma once
// A rectangle filled with one colour.

#include "framework/graphics/IControl.h"

class IPanelControl : public IControl {
 public:
  IPanelControl(IEffectBase* plug, IRECT rect, const IColor* color)
      : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK) {}

  bool Draw(IGraphics* graphics) override;

 protected:
  IColor mColor;
};
