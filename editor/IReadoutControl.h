#pragma once
// A text that shows the control's value through a formatter ("-10.0 dB", "A4"). The value arrives
// through SetControlFromPlug from any thread; only the editor thread turns it into text, so no
// string is ever shared between threads.

#include <string>

#include "framework/graphics/IControl.h"

class IReadoutControl : public IControl {
 public:
  using Formatter = void (*)(double value, char* out, int outSize);

  IReadoutControl(IEffectBase* plug, IRECT rect, const IText* text, Formatter format, double value);

  std::string Text() const;  // editor thread
  bool Draw(IGraphics* graphics) override;

 private:
  Formatter mFormat;
};
