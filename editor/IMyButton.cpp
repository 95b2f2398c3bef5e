#include "editor/IMyButton.h"

#include "editor/EditorLink.h"

IMyButton::IMyButton(EditorLink* link, IRECT rect, int tagValue)
    : IControl(link->link_base(), rect, tagValue, IChannelBlend::kBlendClobber), effect(link), tag(tagValue) {
  SetDblAsSingleClick(true);  // two quick clicks on Undo are two undos
}

IMyButton::~IMyButton() = default;

// Any button: the work is done by the command, the toggled value only informs the host.
void IMyButton::OnMouseDown(int, int, IMouseMod*) {
  effect->from_GUI(tag);
  mValue.store(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}

bool IMyButton::Draw(IGraphics*) {
  return true;
}
