#pragma once
// The audio thread's messages to the editor: events as bits that gather until the editor's next frame
// takes them all at once, and the input level. Lock-free on both sides; an event posted twice before
// a frame is handled once, and nothing waits for an editor that is closed or late.

#include <atomic>

class AudioMessages {
 public:
  enum Event : unsigned {
    kCountdownChanged = 1u << 0,  // the capture's seconds left changed
    kCaptureFinished = 1u << 1,   // the capture window ended; the recording waits for its analysis
  };

  // Audio thread.
  void post(Event event) { events_.fetch_or(event, std::memory_order_release); }
  void set_level(double level) { level_.store(level, std::memory_order_relaxed); }
  // Editor thread: every event posted since the last call.
  unsigned take() { return events_.exchange(0u, std::memory_order_acquire); }
  // Any thread: the level last set, 0 (-60 dB) to 1 (full scale).
  double level() const { return level_.load(std::memory_order_relaxed); }

 private:
  std::atomic<unsigned> events_{0u};
  std::atomic<double> level_{0.0};
};
