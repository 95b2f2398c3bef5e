#pragma once
// The editor's receiver of the audio thread's messages: a 1 x 1 control that paints nothing. Once per
// frame, before anything is drawn and without the editor's lock, it hands the instance the turn to
// read what the audio thread posted (the level, the countdown, a finished capture). The messages
// themselves travel lock-free inside the instance, never as control values.

#include "framework/graphics/IControl.h"

class EditorLink;

class IDummyControl : public IControl {
 public:
  explicit IDummyControl(EditorLink* link);
  ~IDummyControl() override;

  void OnGUIIdle() override;
  bool Draw(IGraphics* graphics) override { return true; }

  EditorLink* effect;
};
