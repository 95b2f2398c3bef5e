#pragma once

#include <atomic>
#include <memory>

// The recording half of a measurement. The editor thread arms it; the audio thread feeds it every
// input sample of the capture window: half a second of waiting, then 2^19 samples, taking every
// 1st, 2nd, 4th or 8th host sample so that the recording runs at 40 to 80 kHz. The audio thread
// only writes into a buffer the editor allocated beforehand, and owns it until it reports the end
// of the window; from then on only the editor thread touches it.
class MeasurementCapture {
 public:
  static constexpr int kLog2 = 19;
  static constexpr int kLength = 1 << kLog2;

  // Signals raised by a block, for the editor's mailbox.
  enum Signal : unsigned {
    kNone = 0,
    kCountdown = 1,  // the remaining whole seconds changed
    kFinished = 2,   // the capture window has ended; the recording is complete
  };

  // Host samples per recorded sample at a rate: 1, 2, 4 or 8.
  static int decimation(double sample_rate);
  // The rate of the recording.
  static double recording_rate(double sample_rate) { return sample_rate / decimation(sample_rate); }

  // Editor thread. The buffer (2 x 2^19 doubles: the recording, then room for the imaginary part
  // of its transform) is kept between measurements; false when there is no memory for it.
  bool allocate();
  void release();
  bool has_buffer() const { return capture_buf != nullptr; }

  // Editor thread, with the audio thread held off (the instance lock): clears the clock and the
  // counters and starts the window for the given rate. A running window starts over.
  void arm(double sample_rate);
  // Editor thread: back to idle after the analysis (or after it refused the recording).
  void disarm();

  // Audio thread: one block of input (null reads as silence). Returns the signals it raised.
  unsigned process(const double* in, int frames);

  bool running() const { return capture_armed.load(std::memory_order_acquire) != 0; }
  // A complete recording waits for the analysis.
  bool finished() const { return capture_done.load(std::memory_order_acquire) != 0; }

  // The recording (kLength doubles) followed by kLength doubles of scratch; editor thread, once
  // finished() is true.
  double* buffer() { return capture_buf.get(); }

  int seconds_left() const { return seconds_left_.load(std::memory_order_relaxed); }
  // Forces the next countdown value to be announced again.
  void clear_countdown();

  // For tests and the editor's read-outs.
  int span() const { return capture_span; }
  int factor() const { return decim; }
  int left() const { return capture_left; }

 private:
  unsigned step(double x);

  std::unique_ptr<double[]> capture_buf;
  int capture_len = kLength;
  int capture_span = kLength;
  int decim = 1;
  int start_at = 22050;       // clock value at which recording begins
  int rate_int = 44100;       // int(sample rate), for the countdown below 80 kHz
  int recording_int = 44100;  // int(recording rate), above
  bool plus_one = true;       // below 80 kHz the countdown rounds up

  // Audio thread while running.
  int capture_clock = 0;
  int capture_left = 0;
  int seconds_shown = 0;
  std::atomic<int> seconds_left_{0};

  std::atomic<int> capture_armed{0};
  std::atomic<int> capture_done{0};
};
