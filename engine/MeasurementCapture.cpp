#include "engine/MeasurementCapture.h"

#include <new>

int MeasurementCapture::decimation(double sample_rate) {
  if (sample_rate < 80000.0) return 1;
  if (sample_rate < 160000.0) return 2;
  if (sample_rate < 320000.0) return 4;
  return 8;
}

bool MeasurementCapture::allocate() {
  if (!capture_buf) capture_buf.reset(new (std::nothrow) double[2 * std::size_t(kLength)]);
  return capture_buf != nullptr;
}

void MeasurementCapture::release() {
  capture_buf.reset();
}

void MeasurementCapture::arm(double sample_rate) {
  // The engine never runs below 44056 Hz; an absurd host rate must not overflow the clock.
  if (!(sample_rate >= 44056.0)) sample_rate = 44056.0;
  if (sample_rate > 1.0e8) sample_rate = 1.0e8;
  decim = decimation(sample_rate);
  capture_len = kLength;
  capture_span = kLength * decim;
  start_at = int(sample_rate * 0.5);
  rate_int = int(sample_rate);
  recording_int = int(sample_rate / decim);
  plus_one = decim == 1;
  capture_clock = 0;
  capture_left = 0;
  seconds_shown = 0;
  seconds_left_.store(0, std::memory_order_relaxed);
  capture_done.store(0, std::memory_order_relaxed);
  capture_armed.store(capture_buf ? 1 : 0, std::memory_order_release);
}

void MeasurementCapture::disarm() {
  capture_armed.store(0, std::memory_order_release);
  capture_done.store(0, std::memory_order_release);
  capture_left = 0;
}

void MeasurementCapture::clear_countdown() {
  seconds_left_.store(0, std::memory_order_relaxed);
}

unsigned MeasurementCapture::step(double x) {
  unsigned raised = kNone;
  if (capture_left >= 1) {
    // The clock before this sample's tick decides: with D > 1, clock mod D == 1 is picked.
    const bool picked = decim == 1 || (capture_clock & (decim - 1)) == 1;
    if (picked) {
      capture_buf[capture_len - capture_left] = x;
      --capture_left;
      int seconds = 0;
      if (capture_left > 0) seconds = plus_one ? capture_left / rate_int + 1 : capture_left / recording_int;
      seconds_left_.store(seconds, std::memory_order_relaxed);
      if (seconds != seconds_shown) {
        seconds_shown = seconds;
        raised |= kCountdown;
      }
    }
  }
  ++capture_clock;
  if (capture_clock == start_at) capture_left = capture_len;
  if (capture_clock == start_at + capture_span) {
    capture_left = 0;
    capture_done.store(1, std::memory_order_release);
    capture_armed.store(0, std::memory_order_release);
    raised |= kFinished;
  }
  return raised;
}

unsigned MeasurementCapture::process(const double* in, int frames) {
  unsigned raised = kNone;
  for (int k = 0; k < frames && capture_armed.load(std::memory_order_relaxed); ++k)
    raised |= step(in ? in[k] : 0.0);
  return raised;
}
