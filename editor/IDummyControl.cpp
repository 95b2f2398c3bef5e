#include "editor/IDummyControl.h"

#include "editor/EditorLayout.h"
#include "editor/EditorLink.h"

IDummyControl::IDummyControl(EditorLink* link)
    : IControl(link->link_base(),
               IRECT(layout::kDummy.left, layout::kDummy.top, layout::kDummy.right, layout::kDummy.bottom)),
      effect(link) {}

IDummyControl::~IDummyControl() = default;

void IDummyControl::OnGUIIdle() {
  effect->editor_tick();
}
