#include <cstdio>

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/ITextControl.h"
#include "plugin/IResonix.h"

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

// Audio thread, while `measuring` is set; the caller outputs silence for the block. No locks, no
// allocation: the editor's next frame picks the events up.
void IResonix::capture_block(const double* in, int nFrames) {
  const unsigned raised = capture.process(in, nFrames);
  if (raised & MeasurementCapture::kCountdown) messages.post(AudioMessages::kCountdownChanged);
  if (raised & MeasurementCapture::kFinished) {
    // The window is over: the audio passes again while the recording waits for the editor.
    measuring.store(0, std::memory_order_release);
    messages.post(AudioMessages::kCaptureFinished);
  }
}

// Editor thread, once per frame (IDummyControl), without the editor's lock.
void IResonix::editor_tick() {
  IGraphics* gui = GetGUI();
  const double level = messages.level();
  if (gui && level != ui.meter_level) {
    ui.meter_level = level;
    gui->SetControlFromPlug(ui.meter_control, level);
  }
  const unsigned events = messages.take();
  if (events & AudioMessages::kCountdownChanged) show_countdown();
  if (events & AudioMessages::kCaptureFinished) MyIdle();
}

void IResonix::show_countdown() {
  const int seconds = capture.seconds_left();
  IGraphics* gui = GetGUI();
  if (seconds <= 0 || !gui) return;
  std::snprintf(ui.knock_text_buf, sizeof ui.knock_text_buf, "Knock. Time left: %d sec.", seconds);
  if (auto* text = dynamic_cast<ITextControl*>(gui->GetControl(ui.knock_text)))
    text->SetTextFromPlug(ui.knock_text_buf);
}

// Editor thread, when the capture window has ended. The analysis (a 2^19-point transform) runs
// under no lock: the audio thread no longer touches the finished recording. A refusal's notice
// comes under no lock either; a good analysis's curves change in one hold of the instance lock.
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
  {
    Lock lock(mMutex);
    const double* levels = band_analysis.levels();
    for (int i = 0; i < nbands; ++i) measured[i] = target_shape[i] = target[i] = levels[i];
    target_level = 1.0;
    vslider_pos = 1.0;
    take_user_input(kParamVerticalSlider, 1.0);
    capture.disarm();
    save_to_undo();
    run();
  }
  capture.release();
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
