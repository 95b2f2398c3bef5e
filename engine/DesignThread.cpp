#include "engine/DesignThread.h"

DesignThread::DesignThread(Work work, Refresh refresh)
    : work_(std::move(work)), refresh_(std::move(refresh)), thread_([this] { loop(); }) {}

DesignThread::~DesignThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    stop_.store(true, std::memory_order_relaxed);
  }
  wake_.notify_all();
  done_.notify_all();
  thread_.join();
}

void DesignThread::request(const CorrectionDesign::Inputs& inputs, Kind kind) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    next_ = inputs;
    next_kind_ = kind;
    ++requested_;
    pending_.store(true, std::memory_order_release);
    if (running_ && !(kind == Kind::kPreview && running_kind_ == Kind::kPreview))
      stop_.store(true, std::memory_order_relaxed);
  }
  wake_.notify_one();
}

// The flag before `pending_`, and settle_pending() reads it after clearing `pending_`: a refresh
// asked for meanwhile is never reported as done.
void DesignThread::request_refresh() {
  refresh_asked_.store(true);
  pending_.store(true);
}

void DesignThread::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (refresh_asked_.load(std::memory_order_acquire) || refreshing_) {
    wake_.notify_one();
    done_.wait(lock,
               [&] { return quit_ || (!refreshing_ && !refresh_asked_.load(std::memory_order_acquire)); });
  }
  const uint64_t wanted = requested_;
  done_.wait(lock, [&] { return quit_ || published_ >= wanted; });
}

void DesignThread::settle_pending() {
  if (published_ != requested_) return;
  pending_.store(false);
  if (refresh_asked_.load()) pending_.store(true);
}

void DesignThread::loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, kRefreshPoll, [&] {
      return quit_ || requested_ != started_ || refresh_asked_.load(std::memory_order_acquire);
    });
    if (quit_) return;
    if (refresh_asked_.exchange(false, std::memory_order_acq_rel)) {
      refreshing_ = true;
      lock.unlock();
      if (refresh_) refresh_();
      lock.lock();
      refreshing_ = false;
      settle_pending();
      done_.notify_all();
      continue;
    }
    if (requested_ == started_) continue;
    const auto due = last_preview_ + kPreviewPacing;
    if (next_kind_ == Kind::kPreview && std::chrono::steady_clock::now() < due) {
      wake_.wait_until(lock, due, [&] { return quit_ || next_kind_ == Kind::kFinal; });
      continue;
    }
    const uint64_t generation = requested_;
    const CorrectionDesign::Inputs inputs = next_;
    const Kind kind = next_kind_;
    started_ = generation;
    running_kind_ = kind;
    running_ = true;
    stop_.store(false, std::memory_order_relaxed);
    lock.unlock();

    const bool finished = work_(inputs, kind, stop_);

    lock.lock();
    running_ = false;
    if (kind == Kind::kPreview) last_preview_ = std::chrono::steady_clock::now();
    if (finished && generation > published_) published_ = generation;
    settle_pending();
    done_.notify_all();
  }
}
