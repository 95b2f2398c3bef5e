#include "editor/IPeakMeterHoriz.h"

#include "framework/graphics/IGraphics.h"

IPeakMeterHoriz::IPeakMeterHoriz(IEffectBase* plug, IRECT rect) : IControl(plug, rect) {}

IPeakMeterHoriz::~IPeakMeterHoriz() = default;

bool IPeakMeterHoriz::Draw(IGraphics* graphics) {
  const double value = GetValue();
  if (mValue_smooth - value > kFallPerFrame)
    mValue_smooth -= kFallPerFrame;
  else
    mValue_smooth = value;
  IRECT lit(mRECT.L, mRECT.T, mRECT.L + int(mRECT.W() * mValue_smooth), mRECT.B);
  if (lit.W() > 0) graphics->FillIRect(&COLOR_GREEN, &lit);
  return true;
}
