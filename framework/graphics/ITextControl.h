#pragma once
// A text drawn in the control's style inside its rectangle; no parameter.

#include <string>

#include "framework/graphics/IControl.h"

class ITextControl : public IControl {
 public:
  ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str = "");

  // Editor thread: replaces the text and marks the control dirty when it changed.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextForPlug() const { return mStr.c_str(); }

  bool Draw(IGraphics* graphics) override;

 protected:
  std::string mStr;
};
