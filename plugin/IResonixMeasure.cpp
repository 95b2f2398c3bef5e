#include "editor/IDummyControl.h"
#include "plugin/IResonix.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ITextControl.h"

namespace {

constexpr const char* kRateTooLow = "Host's sample rate is too low. Please set it to 44100 or higher.";
constexpr const char* kNoMemory = "Error_003";

}  // namespace

// Editor thread: the "Start" command. Pressing it again while a measurement runs starts over.
void IResonix::start_measurement() {
  if (!capture.allocate()) {
    notify(kNoMemory);
    return;
  }
  if (!(GetSampleRate() >= kMinSampleRate)) {
    notify(kRateTooLow);
    return;
  }
  {
    // The audio thread owns the counters while a window runs: hold it off while they restart.
    Lock lock(mMutex);
    band_analysis.set_bins(band_freq, band_edge, nbands, MeasurementCapture::recording_rate(sample_rate),
                           MeasurementCapture::kLength);
    capture.arm(sample_rate);
    measuring.store(1, std::memory_order_release);
  }
  show_knock(true);
}

// Audio thread, while `measuring` is set; the caller outputs silence for the block.
void IResonix::capture_block(const double* in, int nFrames) {
  const unsigned raised = capture.process(in, nFrames);
  if (raised & MeasurementCapture::kCountdown) post_mailbox(IDummyControl::kCountdownChanged);
  if (raised & MeasurementCapture::kFinished) {
    // The window is over: the audio passes again while the recording waits for the editor.
    measuring.store(0, std::memory_order_release);
    post_mailbox(IDummyControl::kCaptureFinished);
  }
}

// Audio thread: no locks, no allocation; the editor picks the value up when it draws.
void IResonix::post_mailbox(double code) {
  mailbox_value.store(code, std::memory_order_release);
  if (IGraphics* gui = GetGUI()) {
    gui->SetControlFromPlug(ui.dummy_control, code);
    if (IControl* control = gui->GetControl(ui.dummy_control)) control->SetDirty(false);
  }
}

// Editor thread, when the mailbox says the capture window has ended.
void IResonix::MyIdle() {
  // Only a complete recording is analysed; a "Start" since the signal has taken the buffer back.
  if (!capture.finished()) return;
  const BandAnalysis::Result result =
      band_analysis.analyse(capture.buffer(), MeasurementCapture::kLog2, calibration);
  switch (result) {
    case BandAnalysis::Result::too_loud:
    case BandAnalysis::Result::too_silent:
    case BandAnalysis::Result::no_memory:
      notify(BandAnalysis::message(result));
      end_measurement();
      return;
    case BandAnalysis::Result::ok:
      break;
  }
  const double* levels = band_analysis.levels();
  for (int i = 0; i < nbands; ++i) measured[i] = target_shape[i] = target[i] = levels[i];
  target_level = 1.0;
  vslider_pos = 1.0;
  take_user_input(kParamVerticalSlider, 1.0);
  capture.disarm();
  capture.release();
  save_to_undo();
  run();
  end_measurement();
}

void IResonix::end_measurement() {
  capture.disarm();
  measuring.store(0, std::memory_order_release);
  show_knock(false);
  dirty_editor();
}

// Editor thread: the knock picture and the countdown text go up with "Start" and down at the end.
void IResonix::show_knock(bool shown) {
  knock_shown.store(shown ? 1 : 0, std::memory_order_release);
  IGraphics* gui = GetGUI();
  if (!gui) return;
  if (IControl* text = gui->GetControl(ui.knock_text)) {
    if (!shown)
      if (auto* t = dynamic_cast<ITextControl*>(text)) t->SetTextFromPlug("");
    text->Hide(!shown);
  }
  if (IControl* picture = gui->GetControl(ui.knock_bitmap)) picture->Hide(!shown);
}
