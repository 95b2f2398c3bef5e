#pragma once
// All the editor's controls know of the instance they belong to: a copy of the curves to draw, the
// commands the controls send, and the per-frame hand-over of the audio thread's messages. The
// instance implements it; the controls hold no other way into it.

#include "editor/EditorLayout.h"

class IEffectBase;

// The curves as one consistent moment of the instance: linear amplitude, 1.0 = top of the plot.
struct PlotSnapshot {
  double target[layout::kPlotBands];
  double measured[layout::kPlotBands];
  double corrected[layout::kPlotBands];
  double note_pos;
};

class EditorLink {
 public:
  // The plug-in base the controls' parameters belong to.
  virtual IEffectBase* link_base() = 0;
  // Editor thread: a copy taken under the instance's rule for its shared state (may wait for as long
  // as another holder copies).
  virtual void snapshot(PlotSnapshot* out) = 0;
  // Editor thread: a button's or a fader's command (the parameter index).
  virtual void from_GUI(int command) = 0;
  // Editor thread: the vertical fader was released; its next command runs the full design.
  virtual void fader_released() = 0;
  // Editor thread: one pen position on the plot (kind 1 starts a line, 2 continues it, 0 is a free
  // point, -1 no button), then a quick design that follows the pen.
  virtual void stroke(int x, int y, int kind) = 0;
  // Editor thread: the pen lifted: one undo step and the final design.
  virtual void stroke_end() = 0;
  // The "Info" notice.
  virtual void notify(const char* text) = 0;
  // Editor thread, once per frame before drawing, without the editor's lock: the audio thread's
  // messages since the last frame (level, countdown, a finished capture and its analysis).
  virtual void editor_tick() = 0;

 protected:
  ~EditorLink() = default;
};
