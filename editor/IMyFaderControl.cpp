#include "editor/IMyFaderControl.h"

#include "editor/EditorLayout.h"
#include "editor/EditorLink.h"
#include "framework/graphics/IGraphics.h"

namespace {
// Teal of the fill bars.
constexpr IColor kBarColour(255, 0, 184, 194);
}  // namespace

IMyFaderControl::IMyFaderControl(EditorLink* link, int x, int y, int len, int paramIdx, IBitmap* bitmap,
                                 EDirection dir)
    : IFaderControl(link->link_base(), x, y, len, paramIdx, bitmap, dir, false),
      effect(link),
      param_index(paramIdx),
      direction(int(dir)),
      track_x(x),
      track_y(y),
      track_len(len) {}

IMyFaderControl::~IMyFaderControl() = default;

void IMyFaderControl::SnapToMouse(int x, int y) {
  IFaderControl::SnapToMouse(x, y);
  effect->from_GUI(param_index);
}

void IMyFaderControl::OnMouseUp(int x, int y, IMouseMod*) {
  if (mDirection != kVertical) return;
  // The release counts as one more position and lets command 1 run the design once.
  effect->fader_released();
  SnapToMouse(x, y);
}

void IMyFaderControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (mDirection == kVertical) return;
  const double fallback = GetDefaultValue();
  if (fallback >= 0.0) {
    mValue.store(fallback);
    SetDirty(true);
  }
  effect->from_GUI(param_index);
}

void IMyFaderControl::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  if (mDirection == kVertical) return;
  IFaderControl::OnMouseWheel(x, y, mod, d);
  effect->from_GUI(param_index);
}

IRECT IMyFaderControl::BarRECT() const {
  const double v = GetValue();
  if (mDirection == kHorizontal)
    return IRECT(track_x, track_y + layout::kFaderBarOffset, track_x + int(track_len * v),
                 track_y + layout::kFaderBarEnd);
  return IRECT(track_x + layout::kFaderBarOffset, track_y + int((1.0 - v) * track_len),
               track_x + layout::kFaderBarEnd, track_y + track_len);
}

bool IMyFaderControl::Draw(IGraphics* graphics) {
  IRECT bar = BarRECT();
  if (bar.W() > 0 && bar.H() > 0) graphics->FillIRect(&kBarColour, &bar);
  IRECT handle = GetHandleRECT(-1.0);
  return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}
