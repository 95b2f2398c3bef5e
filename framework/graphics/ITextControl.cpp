#include "framework/graphics/ITextControl.h"

#include "framework/graphics/IGraphics.h"

ITextControl::ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str ? str : "") {
  if (text) mText = *text;
}

void ITextControl::SetTextFromPlug(const char* str) {
  const char* text = str ? str : "";
  if (mStr != text) {
    SetDirty(false);
    mStr = text;
  }
}

bool ITextControl::Draw(IGraphics* graphics) {
  if (mStr.empty()) return true;
  return graphics->DrawIText(&mText, mStr.c_str(), &mRECT);
}
