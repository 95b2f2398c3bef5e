#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/CorrectionDesign.h"

// The instance's design worker. Callers hand it a snapshot of the design inputs and return at once;
// only the newest request is designed. A final request stops the design in progress at its next
// iteration; a preview (the pen or the slider still moving) lets a running preview finish, so that
// previews keep being published while requests pour in, and previews are paced so the audio is not
// handed a new set for every mouse event.
class DesignThread {
 public:
  enum class Kind { kFinal, kPreview };
  // Runs on the worker. Returns false when it gave up because `stop` was raised.
  using Work = std::function<bool(const CorrectionDesign::Inputs&, Kind, const std::atomic<bool>& stop)>;

  static constexpr std::chrono::milliseconds kPreviewPacing{40};  // one editor frame

  explicit DesignThread(Work work);
  ~DesignThread();  // stops a running design and joins without waiting for it to end
  DesignThread(const DesignThread&) = delete;
  DesignThread& operator=(const DesignThread&) = delete;

  // Any thread; never waits for a design.
  void request(const CorrectionDesign::Inputs& inputs, Kind kind);
  // Lock-free: a request has not been designed yet.
  bool pending() const { return pending_.load(std::memory_order_acquire); }
  // Until a design at least as new as every request made before the call has been published.
  void wait();

 private:
  void loop();

  Work work_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  CorrectionDesign::Inputs next_{};
  Kind next_kind_ = Kind::kFinal;
  Kind running_kind_ = Kind::kFinal;
  bool running_ = false;
  bool quit_ = false;
  uint64_t requested_ = 0;  // generation of the newest request
  uint64_t started_ = 0;    // generation the worker last took
  uint64_t published_ = 0;  // generation of the newest design that ran to its end
  std::chrono::steady_clock::time_point last_preview_{};
  std::atomic<bool> stop_{false};
  std::atomic<bool> pending_{false};
  std::thread thread_;  // last: starts once everything above exists
};
