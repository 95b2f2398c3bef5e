#include "editor/IReadoutControl.h"

#include "framework/graphics/IGraphics.h"

IReadoutControl::IReadoutControl(IEffectBase* plug, IRECT rect, const IText* text, Formatter format,
                                 double value)
    : IControl(plug, rect), mFormat(format) {
  if (text) mText = *text;
  mValue.store(value);
  SetDefaultValue(value);  // so the first value from the plug-in redraws
}

std::string IReadoutControl::Text() const {
  char text[64] = "";
  if (mFormat) mFormat(GetValue(), text, int(sizeof text));
  return text;
}

bool IReadoutControl::Draw(IGraphics* graphics) {
  const std::string text = Text();
  if (text.empty()) return true;
  return graphics->DrawIText(&mText, text.c_str(), &mRECT);
}
