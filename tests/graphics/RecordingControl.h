#pragma once
// A control that notes each draw (its id and the draw rectangle) and each mouse event it receives.

#include <string>
#include <vector>

#include "framework/graphics/IGraphics.h"

struct DrawLog {
  std::vector<int> order;
  std::vector<IRECT> rects;
};

class RecordingControl : public IControl {
 public:
  RecordingControl(IEffectBase* plug, IRECT rect, int id, DrawLog* log, int paramIdx = -1)
      : IControl(plug, rect, paramIdx), mId(id), mLog(log) {}

  bool Draw(IGraphics* graphics) override {
    if (mLog) {
      mLog->order.push_back(mId);
      mLog->rects.push_back(graphics->GetDrawRECT());
    }
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override { mouse += "d"; }
  void OnMouseUp(int x, int y, IMouseMod* mod) override { mouse += "u"; }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override {
    mouse += "m";
    lastDX = dX;
    lastDY = dY;
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override {
    mouse += "2";
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override {
    mouse += 'w';
    mouse += std::to_string(d);
  }
  bool OnKeyDown(int x, int y, int key) override {
    keys.push_back(key);
    return takesKeys;
  }

  std::string mouse;
  std::vector<int> keys;
  bool takesKeys = true;
  int lastDX = 0, lastDY = 0;

 private:
  int mId;
  DrawLog* mLog;
};
