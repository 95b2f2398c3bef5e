#pragma once
// A 100 x 80 headless editor over a TestPlug, with recording controls added in list order.

#include "RecordingControl.h"
#include "TestPlug.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"

struct TestEditor {
  TestPlug plug;
  IGraphicsHeadless gui{&plug, 100, 80};
  IMouseMod left{true};
  DrawLog log;

  TestEditor() { gui.PrepDraw(); }
  // The control's id in the draw log is its index.
  RecordingControl* Add(IRECT r, int paramIdx = -1) {
    auto* c = new RecordingControl(&plug, r, gui.NControls(), &log, paramIdx);
    gui.AttachControl(c);
    return c;
  }
  void CleanAll() {
    for (int i = 0; i < gui.NControls(); ++i) gui.GetControl(i)->SetClean();
    log = DrawLog();
  }
};
