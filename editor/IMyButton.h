#pragma once
// An invisible click area over a button of the background picture: it sends its command to the
// plug-in and flips its parameter, so the host sees the press.

#include "framework/graphics/IControl.h"

class IResonix;

class IMyButton : public IControl {
 public:
  IMyButton(IResonix* plug, IRECT rect, int tag);
  ~IMyButton() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  IResonix* effect;
  int tag;
};
