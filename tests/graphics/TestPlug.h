#pragma once
// A plug-in base with a few parameters that records what it would tell a host.

#include <string>
#include <vector>

#include "framework/core/IEffectBase.h"

class TestPlug : public IEffectBase {
 public:
  struct Event {
    char kind;  // 'b' begin, 'c' change, 'e' end
    int param;
    double value;
    bool operator==(const Event& o) const { return kind == o.kind && param == o.param && value == o.value; }
  };

  static constexpr int kModeParam = 4;  // an enum; the others are doubles in -10..10 dB

  explicit TestPlug(int nParams = 5)
      : IEffectBase(nParams, "1-1", 1, "Test", "", "example.com", 0x10000, FourCC("Tst1"), FourCC("Test"), 0,
                    false, true, false, kAPIHeadless) {
    for (int i = 0; i < nParams; ++i) {
      if (i != kModeParam) GetParam(i)->InitDouble("p", 0.0, -10.0, 10.0, 0.01, "dB");
    }
    if (IParam* mode = GetParam(kModeParam)) {
      mode->InitEnum("Mode", 0, 2);
      mode->SetDisplayText(0, "EQ on");
      mode->SetDisplayText(1, "Bypass");
    }
  }

  void BeginInformHostOfParamChange(int idx) override { events.push_back({'b', idx, 0.0}); }
  void InformHostOfParamChange(int idx, double value) override { events.push_back({'c', idx, value}); }
  void EndInformHostOfParamChange(int idx) override { events.push_back({'e', idx, 0.0}); }
  void InformHostOfProgramChange() override {}

  std::string Kinds() const {
    std::string s;
    for (const Event& e : events) s += e.kind;
    return s;
  }

  std::vector<Event> events;
};
