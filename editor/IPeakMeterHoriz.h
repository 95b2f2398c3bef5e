#pragma once
// The horizontal input level bar. The audio thread stores the level as the control's value; each
// redraw shows it, rising at once and falling by at most 0.02 per frame.

#include "framework/graphics/IControl.h"

class IPeakMeterHoriz : public IControl {
 public:
  static constexpr double kFallPerFrame = 0.02;

  IPeakMeterHoriz(IEffectBase* plug, IRECT rect);
  ~IPeakMeterHoriz() override;

  bool Draw(IGraphics* graphics) override;
  // Dirty while the bar has somewhere to go: an idle editor with a steady level draws nothing.
  bool IsDirty() override { return IControl::IsDirty() || mValue_smooth != GetValue(); }

  // Level last drawn; one per meter, so two instances never share a fall.
  double Smoothed() const { return mValue_smooth; }

 private:
  double mValue_smooth = 0.0;
};
