#pragma once
// One instance with its headless editor, driven as a user would: clicks, drags and releases go
// through the editor's mouse dispatch, frames are drawn with the editor's own timer tick.

#include <memory>
#include <string>

#include "editor/EditorLayout.h"
#include "editor/IMyFaderControl.h"
#include "editor/IMyPlots.h"
#include "editor/IReadoutControl.h"
#include "framework/graphics/ITextControl.h"
#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"
#include "raster/RasterBitmap.h"

class EditorUnderTest {
 public:
  EditorUnderTest() : plug(std::make_unique<IResonix>(IInstanceInfo{})) {
    gui = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
  }

  IResonix* operator->() { return plug.get(); }

  static IMouseMod left() { return IMouseMod(true, false); }
  static IMouseMod right() { return IMouseMod(false, true); }

  void press(int x, int y, IMouseMod mod = left()) { gui->OnMouseDown(x, y, &mod); }
  void drag(int x, int y, IMouseMod mod = left()) { gui->OnMouseDrag(x, y, &mod); }
  void release(int x, int y, IMouseMod mod = left()) { gui->OnMouseUp(x, y, &mod); }
  void click(int x, int y, IMouseMod mod = left()) {
    press(x, y, mod);
    release(x, y, mod);
  }
  void click(const layout::Rect& r) { click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

  template <typename T>
  T* control(int index) {
    return dynamic_cast<T*>(gui->GetControl(index));
  }
  IMyFaderControl* fader(int index) { return control<IMyFaderControl>(index); }
  IMyPlots* plot() { return control<IMyPlots>(plug->ui.plot_control); }
  std::string text_of(int index) {
    if (auto* readout = control<IReadoutControl>(index)) return readout->Text();
    auto* t = control<ITextControl>(index);
    return t ? t->GetTextForPlug() : "";
  }
  bool hidden(int index) { return gui->GetControl(index)->IsHidden(); }

  uint32_t pixel(int x, int y) { return gui->GetDrawBitmap()->GetPixel(x, y) & 0xFFFFFF; }

  // Undo steps taken so far.
  int undo_steps() { return plug->undo_history->pos(); }

  std::unique_ptr<IResonix> plug;
  IGraphicsHeadless* gui = nullptr;
};
