#pragma once
// The editor's sliders: a framework fader with a coloured fill bar that tells the plug-in about every
// change. Horizontal faders also take the wheel and a double-click reset; the vertical one asks for
// a redesign when it is released.

#include "framework/graphics/IFaderControl.h"

class EditorLink;

class IMyFaderControl : public IFaderControl {
 public:
  IMyFaderControl(EditorLink* link, int x, int y, int len, int paramIdx, IBitmap* bitmap, EDirection dir);
  ~IMyFaderControl() override;

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;
  void SnapToMouse(int x, int y) override;

  // The fill bar for the current value, in window pixels.
  IRECT BarRECT() const;

  EditorLink* effect;
  int param_index;
  int direction;  // 0 vertical, 1 horizontal
  int track_x, track_y;
  int track_len;
};
