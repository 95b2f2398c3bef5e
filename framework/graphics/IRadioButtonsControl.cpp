#include "framework/graphics/IRadioButtonsControl.h"

#include <algorithm>

#include "framework/graphics/IGraphics.h"

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx, int nButtons,
                                           IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()) {
  const int n = std::max(1, nButtons);
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  const int gap = n > 1 ? (direction == kHorizontal ? (rect.W() - n * w) : (rect.H() - n * h)) / (n - 1) : 0;
  mRECTs.resize(size_t(n));
  for (int i = 0; i < n; ++i) {
    const int slot = reverse ? n - 1 - i : i;
    const int x = direction == kHorizontal ? rect.L + slot * (w + gap) : rect.L;
    const int y = direction == kHorizontal ? rect.T : rect.T + slot * (h + gap);
    mRECTs[size_t(i)] = IRECT(x, y, x + w, y + h);
  }
}

int IRadioButtonsControl::SelectedButton() const {
  const int n = NButtons();
  return std::clamp(int(GetValue() * (n - 1) + 0.5), 0, n - 1);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int i = 0; i < n; ++i) {
    if (mRECTs[size_t(i)].Contains(x, y)) {
      mValue.store(n > 1 ? double(i) / double(n - 1) : 0.0, std::memory_order_release);
      break;
    }
  }
  // A click between buttons keeps the value and still sends it.
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
  const int selected = SelectedButton();
  for (int i = 0; i < NButtons(); ++i)
    graphics->DrawBitmap(&mBitmap, &mRECTs[size_t(i)], i == selected ? 2 : 1, &mBlend);
  return true;
}
