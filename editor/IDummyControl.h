#pragma once
// The audio thread's mailbox to the editor thread: a 1 x 1 control that paints nothing. The audio
// thread stores a code as its value and marks it dirty; drawing it on the next redraw does the work.

#include "framework/graphics/IControl.h"

class IResonix;

class IDummyControl : public IControl {
 public:
  // The codes the audio thread posts (the engine, the tools and the tests all use these two).
  static constexpr double kCaptureFinished = 0.55555555;
  static constexpr double kCountdownChanged = 0.88888888;

  explicit IDummyControl(IResonix* plug);
  ~IDummyControl() override;

  bool Draw(IGraphics* graphics) override;

  IResonix* effect;
};
