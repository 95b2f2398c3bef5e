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
// handed a new set for every mouse event. The audio thread never calls request(): it asks for a
// refresh instead, lock-free, and the worker then runs the owner's `refresh` (which may request).
class DesignThread {
 public:
  enum class Kind { kFinal, kPreview };
  // Runs on the worker. Returns false when it gave up because `stop` was raised.
  using Work = std::function<bool(const CorrectionDesign::Inputs&, Kind, const std::atomic<bool>& stop)>;

  // Runs on the worker, no lock of the worker's held: takes what the audio thread handed over.
  using Refresh = std::function<void()>;

  static constexpr std::chrono::milliseconds kPreviewPacing{40};  // one editor frame
  // How soon a refresh asked for by the audio thread runs: it does not wake the worker (that would
  // take the worker's mutex), the idle worker looks this often.
  static constexpr std::chrono::milliseconds kRefreshPoll{10};

  explicit DesignThread(Work work, Refresh refresh = {});
  ~DesignThread();  // stops a running design and joins without waiting for it to end
  DesignThread(const DesignThread&) = delete;
  DesignThread& operator=(const DesignThread&) = delete;

  // Any thread; never waits for a design.
  void request(const CorrectionDesign::Inputs& inputs, Kind kind);
  // Lock-free and wait-free (the audio thread): `refresh` is to run on the worker within kRefreshPoll.
  void request_refresh();
  // Lock-free: a request has not been designed yet, or a refresh has not run yet.
  bool pending() const { return pending_.load(std::memory_order_acquire); }
  // Until a refresh asked for before the call has run and a design at least as new as every request
  // made before the call (or by that refresh) has been published. Never while holding what
  // `refresh` takes.
  void wait();

 private:
  void loop();
  // Under mutex_: no request and no refresh is outstanding.
  void settle_pending();

  Work work_;
  Refresh refresh_;
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
  bool refreshing_ = false;  // the worker runs `refresh` (mutex_ released meanwhile)
  std::atomic<bool> stop_{false};
  std::atomic<bool> pending_{false};
  std::atomic<bool> refresh_asked_{false};
  std::thread thread_;  // last: starts once everything above exists
};
