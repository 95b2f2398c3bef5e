#pragma once
// A minimal plug-in on the bare base: records what the base asks of it.

#include <vector>

#include "framework/core/IEffectBase.h"

class TestEffect : public IEffectBase {
 public:
  explicit TestEffect(int nParams = 14, const char* io = "1-1", int nPresets = 1, int latency = 0)
      : IEffectBase(nParams, io, nPresets, "Test", "", "example.org", 0x10109, FourCC("Tst1"),
                    FourCC("Test"), latency, false, true, false, kAPIVST3) {
    for (int i = 0; i < nParams; ++i) GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
  }

  void ProcessDoubleReplacing(double** in, double** out, int n) override {
    ++processCalls;
    largestBlock = n > largestBlock ? n : largestBlock;
    if (gain == 1.0) return IEffectBase::ProcessDoubleReplacing(in, out, n);
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < n; ++s) out[c][s] = c < NInChannels() ? in[c][s] * gain : 0.0;
  }
  void OnParamChange(int idx) override { changed.push_back(idx); }
  void PresetsChangedByHost() override { ++presetChanges; }

  void BeginInformHostOfParamChange(int idx) override {}
  void InformHostOfParamChange(int idx, double v) override { informed.emplace_back(idx, v); }
  void EndInformHostOfParamChange(int idx) override {}
  void InformHostOfProgramChange() override {}

  const double* InScratch(int c) const { return mInChannels[size_t(c)].mScratch.data(); }

  double gain = 1.0;
  int processCalls = 0;
  int largestBlock = 0;
  int presetChanges = 0;
  std::vector<int> changed;
  std::vector<std::pair<int, double>> informed;
};
