#include "engine/DesignThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Kind = DesignThread::Kind;

// A stand-in for the fit: inputs are told apart by their rate; rate 1 is a fit that never ends on
// its own, as a target the filter cannot reach would be without its bound.
struct Worker {
  std::mutex mutex;
  std::vector<double> published;
  std::atomic<bool> endless_started{false};
  std::atomic<bool> let_it_end{false};

  bool run(const CorrectionDesign::Inputs& in, const std::atomic<bool>& stop) {
    if (in.sample_rate == 1.0) {
      endless_started = true;
      while (!stop.load() && !let_it_end.load()) std::this_thread::yield();
      if (stop.load()) return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    published.push_back(in.sample_rate);
    return true;
  }
};

CorrectionDesign::Inputs inputs(double id) {
  CorrectionDesign::Inputs in;
  in.sample_rate = id;
  return in;
}

std::unique_ptr<DesignThread> thread_for(Worker& w) {
  return std::make_unique<DesignThread>([&w](const CorrectionDesign::Inputs& in, Kind,
                                             const std::atomic<bool>& stop) { return w.run(in, stop); });
}

void await_start(Worker& w) {
  while (!w.endless_started.load()) std::this_thread::yield();
}

TEST(DesignThread, ANewerRequestStopsTheRunningDesignAndPreviewsLetAPreviewFinish) {
  Worker w;
  const auto thread = thread_for(w);

  // a final request stops the endless design; only the newer one is published
  thread->request(inputs(1.0), Kind::kFinal);
  await_start(w);
  thread->request(inputs(2.0), Kind::kFinal);
  thread->wait();
  EXPECT_FALSE(thread->pending());
  EXPECT_EQ(w.published, std::vector<double>{2.0});

  // while the pen moves, a running preview is not stopped by the next one; both are published
  w.endless_started = false;
  thread->request(inputs(1.0), Kind::kPreview);
  await_start(w);
  thread->request(inputs(3.0), Kind::kPreview);
  EXPECT_TRUE(thread->pending());
  w.let_it_end = true;
  thread->wait();
  EXPECT_EQ(w.published, (std::vector<double>{2.0, 1.0, 3.0}));
}

// What the audio thread hands over is acted on by the worker: an offline render that waits before its
// next block hears the design the refresh asked for, and nothing is pending once it is published.
TEST(DesignThread, ARefreshRunsOnTheWorkerAndWaitCoversTheDesignItRequests) {
  Worker w;
  DesignThread* self = nullptr;
  std::atomic<int> refreshes{0};
  std::thread::id refreshed_on;
  DesignThread thread([&w](const CorrectionDesign::Inputs& in, Kind,
                           const std::atomic<bool>& stop) { return w.run(in, stop); },
                      [&] {
                        refreshed_on = std::this_thread::get_id();
                        if (++refreshes == 1) self->request(inputs(4.0), Kind::kFinal);
                      });
  self = &thread;
  thread.request_refresh();
  EXPECT_TRUE(thread.pending());
  thread.wait();
  EXPECT_EQ(w.published, std::vector<double>{4.0});
  EXPECT_NE(refreshed_on, std::this_thread::get_id());
  EXPECT_FALSE(thread.pending());

  // a refresh that requests nothing leaves nothing pending either
  thread.request_refresh();
  thread.wait();
  EXPECT_EQ(refreshes.load(), 2);
  EXPECT_FALSE(thread.pending());
}

// Destroying the instance while a design runs stops it rather than waiting for it (the endless one
// would hang this test).
TEST(DesignThread, DestructionStopsARunningDesign) {
  Worker w;
  auto thread = thread_for(w);
  thread->request(inputs(1.0), Kind::kFinal);
  await_start(w);
  thread.reset();
  EXPECT_TRUE(w.published.empty());
}

}  // namespace
