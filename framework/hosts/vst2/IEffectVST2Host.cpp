// The VST2 adapter and its host: what the host asks of us (opening, identity, can-do strings) and
// what we ask of it (automation, program changes, process level, transport, who it is).

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/hosts/vst2/IEffectVST2.h"
#include "framework/hosts/vst2/Vst2Text.h"

using namespace vst2;

namespace {

constexpr VstIntPtr kCockosAnswer = 0xbeef0000;

// Hosts report their version in decimal (major * 10000 + minor * 100 + patch).
int EncodeHostVersion(VstIntPtr decimal) {
  if (decimal < 0) return 0;
  const long long v = decimal;
  const int major = int(std::min(v / 10000, 0x7fffLL));
  const int minor = int((v / 100) % 100);
  const int patch = int(v % 100);
  return (major << 16) + (minor << 8) + patch;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Asked by the host

VstIntPtr IEffectVST2::Open() {
  HostSpecificInit();
  OnParamReset();
  return 0;
}

VstIntPtr IEffectVST2::GetIdentity(const char* text, int size, void* dest) {
  CopyText(dest, text, size);
  return dest ? 1 : 0;
}

VstIntPtr IEffectVST2::CanDo(const char* what) {
  if (!what) return 0;
  const std::string s = what;
  if (s == "receiveVstTimeInfo") return 1;
  if (DoesMIDI() && (s == "sendVstEvents" || s == "sendVstMidiEvent" || s == "receiveVstEvents" ||
                     s == "receiveVstMidiEvent"))
    return 1;
  if (s == "hasCockosExtensions") {
    mHasCockosExtensions = true;
    return kCockosAnswer;
  }
  if (s == "hasCockosViewAsConfig") {
    mHasCockosViewAsConfig = true;
    return kCockosAnswer;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Asked of the host

void IEffectVST2::BeginInformHostOfParamChange(int paramIdx) {
  Callback(audioMasterBeginEdit, paramIdx);
}

void IEffectVST2::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  Callback(audioMasterAutomate, paramIdx, 0, nullptr, float(normalizedValue));
}

void IEffectVST2::EndInformHostOfParamChange(int paramIdx) {
  Callback(audioMasterEndEdit, paramIdx);
}

void IEffectVST2::InformHostOfProgramChange() {
  Callback(audioMasterUpdateDisplay);
}

bool IEffectVST2::IsRenderingOffline() {
  return Callback(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

const VstTimeInfo* IEffectVST2::HostTimeInfo(VstInt32 filter) {
  return reinterpret_cast<const VstTimeInfo*>(Callback(audioMasterGetTime, 0, filter));
}

int IEffectVST2::GetSamplePos() {
  const VstTimeInfo* t = HostTimeInfo(0);
  return t && std::isfinite(t->samplePos) ? int(t->samplePos) : 0;
}

double IEffectVST2::GetTempo() {
  const VstTimeInfo* t = HostTimeInfo(kVstTempoValid);
  return t && (t->flags & kVstTempoValid) ? t->tempo : 0.0;
}

void IEffectVST2::GetTimeSig(int* numerator, int* denominator) {
  const VstTimeInfo* t = HostTimeInfo(kVstTimeSigValid);
  const bool valid = t && (t->flags & kVstTimeSigValid);
  if (numerator) *numerator = valid ? t->timeSigNumerator : 0;
  if (denominator) *denominator = valid ? t->timeSigDenominator : 0;
}

void IEffectVST2::GetTime(ITimeInfo* timeInfo) {
  if (!timeInfo) return;
  const VstTimeInfo* t =
      HostTimeInfo(kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid);
  if (!t) return;
  timeInfo->mSamplePos = t->samplePos;
  if (t->flags & kVstTempoValid) timeInfo->mTempo = t->tempo;
  if (t->flags & kVstPpqPosValid) timeInfo->mPPQPos = t->ppqPos;
  if (t->flags & kVstBarsValid) timeInfo->mLastBar = t->barStartPos;
  if (t->flags & kVstCyclePosValid) {
    timeInfo->mCycleStart = t->cycleStartPos;
    timeInfo->mCycleEnd = t->cycleEndPos;
  }
  if (t->flags & kVstTimeSigValid) {
    timeInfo->mNumerator = t->timeSigNumerator;
    timeInfo->mDenominator = t->timeSigDenominator;
  }
  timeInfo->mTransportIsRunning = (t->flags & kVstTransportPlaying) != 0;
  timeInfo->mTransportLoopEnabled = (t->flags & kVstTransportCycleActive) != 0;
}

EHost IEffectVST2::GetHost() {
  if (mHost == kHostUninit) {
    // Hosts write up to 64 characters; the rest of the buffer is margin.
    char product[256] = {};
    Callback(audioMasterGetProductString, 0, 0, product);
    product[sizeof product - 1] = 0;
    if (product[0]) SetHost(product, EncodeHostVersion(Callback(audioMasterGetVendorVersion)));
  }
  return mHost;
}

void IEffectVST2::HostSpecificInit() {
  if (mHostSpecificInitDone) return;
  mHostSpecificInitDone = true;
  switch (GetHost()) {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
      LimitToStereoIO();
      break;
    default:
      break;
  }
  PublishIO();
  OnHostIdentified();
}
