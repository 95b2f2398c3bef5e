#pragma once
// MIDI and time records passed through the plug-in base. This plug-in uses no MIDI; the hooks exist
// so that the adapters have one place to forward to.

#include <cstdint>

struct IMidiMsg {
  int mOffset = 0;
  uint8_t mStatus = 0, mData1 = 0, mData2 = 0;
};

struct ISysEx {
  int mOffset = 0;
  const uint8_t* mData = nullptr;
  int mSize = 0;
};

struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
