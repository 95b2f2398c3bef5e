#pragma once
// n buttons of a two-frame bitmap (off, on); the selected one is round(value x (n - 1)).

#include <vector>

#include "framework/graphics/IControl.h"

class IRadioButtonsControl : public IControl {
 public:
  IRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return int(mRECTs.size()); }
  const IRECT* GetButtonRECT(int idx) const { return idx >= 0 && idx < NButtons() ? &mRECTs[idx] : nullptr; }
  int SelectedButton() const;

 protected:
  std::vector<IRECT> mRECTs;
  IBitmap mBitmap;
};
