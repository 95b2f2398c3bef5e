#include "framework/graphics/IPanelControl.h"

#include "framework/graphics/IGraphics.h"

bool IPanelControl::Draw(IGraphics* graphics) {
  return graphics->FillIRect(&mColor, &mRECT, &mBlend);
}
