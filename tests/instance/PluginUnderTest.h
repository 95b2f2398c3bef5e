#pragma once
// One instance on the headless adapter with a headless editor, driven as a host and a user would:
// blocks through the audio callback, the audio thread's messages read between blocks, file prompts answered
// from a queue and notices read back.

#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"

class PluginUnderTest {
 public:
  explicit PluginUnderTest(double rate = 44100.0, int block = 512)
      : plug(std::make_unique<IResonix>(IInstanceInfo{})) {
    if (!plug->GetGUI()) plug->AttachGraphics(new IGraphicsHeadless(plug.get(), 730, 431));
    gui = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
    plug->HostSetBlockSize(block);
    plug->HostSetSampleRate(rate);
  }

  IResonix& operator*() { return *plug; }
  IResonix* operator->() { return plug.get(); }

  // One block through the audio callback; in may be null (no input bus).
  void process(const double* in, double* out, int frames) {
    double* ins[1] = {const_cast<double*>(in)};
    double* outs[1] = {out};
    plug->HostProcess(ins, outs, frames);
  }

  // The events the audio thread posted since the last call, taken as the editor's frame takes them.
  unsigned take_messages() { return plug->messages.take(); }

  // Notices shown since the last call, oldest first.
  std::vector<std::string> take_notices() {
    std::vector<std::string> texts;
    for (const auto& n : gui->Notices()) texts.push_back(n.text);
    gui->ClearNotices();
    return texts;
  }

  // Host-side values of the parameters the instance reported as changed, in order.
  std::vector<std::pair<int, double>> take_host_changes() {
    std::vector<std::pair<int, double>> changes;
    for (const auto& e : plug->HostEvents())
      if (e.mKind == IEffectHeadless::HostEvent::kChange) changes.push_back({e.mParamIdx, e.mNormalized});
    plug->ClearHostEvents();
    return changes;
  }

  std::unique_ptr<IResonix> plug;
  IGraphicsHeadless* gui = nullptr;
};
