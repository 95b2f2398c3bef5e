#pragma once
// An adapter that talks to no host: tests, benchmarks and the command-line tool drive an instance
// through it as a host would, and read back what the instance told the host.

#include <mutex>
#include <string>
#include <vector>

#include "framework/core/IEffectBase.h"

// Construction argument of the plug-in class on this adapter.
struct IInstanceInfo {
  std::string mHostName = "Headless";
  int mHostVersion = 0;
};

class IEffectHeadless : public IEffectBase {
 public:
  // What the instance reported to the "host".
  struct HostEvent {
    enum Kind { kBegin, kChange, kEnd, kProgramChange };
    Kind mKind;
    int mParamIdx;       // -1 for a program change
    double mNormalized;  // the value of a change, else 0
  };

  IEffectHeadless(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                  const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                  int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                  bool plugIsInst);
  ~IEffectHeadless() override;

  // ---- host side: each call takes the instance lock as a host's dispatcher would ----
  void HostSetSampleRate(double sampleRate);  // stores the rate, then Reset
  void HostSetBlockSize(int blockSize);       // resizes the buffers, then Reset
  void HostReset();
  void HostActivate(bool active);
  // One block; inputs and outputs have the instance's channel counts (null entries allowed). Renders
  // are offline by default: a pending design is finished before the block. A realtime host never
  // waits: the block plays whatever the instance has ready.
  void HostSetRealtime(bool realtime) { mRealtime = realtime; }
  void HostProcess(double** inputs, double** outputs, int nFrames);
  void HostProcess(float** inputs, float** outputs, int nFrames);
  void HostBypass(double** inputs, double** outputs, int nFrames);
  // Parameter automation: editor first, then the value, then OnParamChange. Bad indices are ignored.
  void HostSetParameter(int paramIdx, double normalizedValue);
  double HostGetParameter(int paramIdx);  // normalised; 0 for a bad index
  std::string HostGetParameterDisplay(int paramIdx);
  // State as a host stores it with a project; load returns false and keeps the state on refusal.
  bool HostGetState(ByteChunk* chunk);
  bool HostSetState(ByteChunk* chunk);

  std::vector<HostEvent> HostEvents() const;
  void ClearHostEvents();

  // ---- adapter hooks: any thread, lock as the caller holds it; the events have a lock of their own ----
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override;

 private:
  void Record(HostEvent::Kind kind, int paramIdx, double normalized);

  bool mRealtime = false;
  mutable std::mutex mEventsMutex;
  std::vector<HostEvent> mEvents;
};
