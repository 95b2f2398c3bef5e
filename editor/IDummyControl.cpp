#include "editor/IDummyControl.h"

#include <cstdio>

#include "editor/EditorLayout.h"
#include "plugin/IResonix.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ITextControl.h"

IDummyControl::IDummyControl(IResonix* plug)
    : IControl(plug,
               IRECT(layout::kDummy.left, layout::kDummy.top, layout::kDummy.right, layout::kDummy.bottom)),
      effect(plug) {}

IDummyControl::~IDummyControl() = default;

bool IDummyControl::Draw(IGraphics* graphics) {
  // Taking the code back to 0 makes the next one differ from the idle value, so it is stored. The
  // exchange only succeeds on the code just read, so a newer one from the audio thread is not lost.
  double code = GetValue();
  if (code != kCaptureFinished && code != kCountdownChanged) return true;
  if (!mValue.compare_exchange_strong(code, 0.0)) return true;
  if (code == kCaptureFinished) {
    effect->MyIdle();
  } else if (code == kCountdownChanged) {
    const int seconds = effect->capture.seconds_left();
    if (seconds > 0) {
      std::snprintf(effect->ui.knock_text_buf, sizeof effect->ui.knock_text_buf, "Knock. Time left: %d sec.",
                    seconds);
      if (auto* text = dynamic_cast<ITextControl*>(graphics->GetControl(effect->ui.knock_text)))
        text->SetTextFromPlug(effect->ui.knock_text_buf);
    }
  }
  return true;
}
