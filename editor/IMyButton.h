#pragma once
// An invisible click area over a button of the background picture: it sends its command to the
// plug-in and flips its parameter, so the host sees the press.

#include "framework/graphics/IControl.h"

class EditorLink;

class IMyButton : public IControl {
 public:
  IMyButton(EditorLink* link, IRECT rect, int tag);
  ~IMyButton() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  EditorLink* effect;
  int tag;
};
