// The VST2 adapter's audio side: rate, block size and activation, channels and speaker
// arrangements, events, and the processing entries' work.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "framework/hosts/vst2/IEffectVST2.h"
#include "framework/hosts/vst2/Vst2Text.h"

using namespace vst2;

namespace {

// Largest block size a host may announce; above it the announcement is refused and processing
// goes on in pieces of the current size.
constexpr int kMaxBlockSize = 1 << 20;

VstInt32 ArrangementType(int nChannels) {
  if (nChannels == 1) return kSpeakerArrMono;
  if (nChannels == 2) return kSpeakerArrStereo;
  return kSpeakerArrUserDefined;
}

void InitArrangement(VstSpeakerArrangement* arr, int nChannels) {
  *arr = VstSpeakerArrangement{};
  arr->numChannels = std::clamp(nChannels, 0, 8);
  arr->type = ArrangementType(arr->numChannels);
  for (int i = 0; i < arr->numChannels; ++i) {
    VstSpeakerProperties& s = arr->speakers[i];
    if (arr->numChannels == 1)
      s.type = kSpeakerM;
    else if (arr->numChannels == 2)
      s.type = i == 0 ? kSpeakerL : kSpeakerR;
    else
      s.type = kSpeakerUndefined;
    std::snprintf(s.name, sizeof s.name, "%d", i + 1);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Rate, block size, activation

VstIntPtr IEffectVST2::SetSampleRateFromHost(float rate) {
  // A rate that is no rate would poison every design; the current one stays.
  if (!std::isfinite(rate) || rate <= 0.0f) return 0;
  SetSampleRate(rate);
  Reset();
  return 0;
}

VstIntPtr IEffectVST2::SetBlockSizeFromHost(VstIntPtr blockSize) {
  if (blockSize <= 0 || blockSize > kMaxBlockSize) return 0;
  SetBlockSize(int(blockSize));
  Reset();
  return 0;
}

VstIntPtr IEffectVST2::MainsChanged(bool on) {
  OnActivate(on);
  Reset();  // on resume too: the host resets the plug-in
  return 0;
}

void IEffectVST2::SetBlockSize(int blockSize) {
  IEffectBase::SetBlockSize(blockSize);
  mAccumulate.resize(size_t(NOutChannels()));
  for (auto& buffer : mAccumulate) buffer.assign(size_t(std::max(GetBlockSize(), 0)), 0.0f);
}

void IEffectVST2::SetLatency(int samples) {
  IEffectBase::SetLatency(samples);
  mAEffect.initialDelay = samples;
}

// ---------------------------------------------------------------------------------------------
// Channels and speakers

void IEffectVST2::PublishIO() {
  int nIn = 0, nOut = 0;
  for (int i = 0; i < NInChannels(); ++i) nIn += IsInChannelConnected(i) ? 1 : 0;
  for (int i = 0; i < NOutChannels(); ++i) nOut += IsOutChannelConnected(i) ? 1 : 0;
  mAEffect.numInputs = nIn;
  mAEffect.numOutputs = nOut;
  InitArrangement(&mInputSpkrArr, nIn);
  InitArrangement(&mOutputSpkrArr, nOut);
}

VstIntPtr IEffectVST2::PinProperties(bool input, int idx, VstPinProperties* props) {
  const int n = input ? NInChannels() : NOutChannels();
  if (!props || idx < 0 || idx >= n) return 0;
  *props = VstPinProperties{};
  props->flags = kVstPinIsActive;
  if (idx % 2 == 0 && idx + 1 < n) props->flags |= kVstPinIsStereo;
  // The channels carry no labels of their own in this plug-in: the pins are numbered.
  std::snprintf(props->label, sizeof props->label, "%s %d", input ? "Input" : "Output", idx + 1);
  const std::string shortLabel = (input ? "In" : "Out") + std::to_string(idx + 1);
  shortLabel.copy(props->shortLabel, sizeof props->shortLabel - 1);  // the record came zeroed
  return 1;
}

VstIntPtr IEffectVST2::SetSpeakerArrangement(const VstSpeakerArrangement* in,
                                             const VstSpeakerArrangement* out) {
  if (!in || !out) return 0;
  ConnectChannels(in->numChannels, out->numChannels);
  return 1;
}

VstIntPtr IEffectVST2::GetSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) {
  if (!in || !out) return 0;
  *in = &mInputSpkrArr;
  *out = &mOutputSpkrArr;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Events

VstIntPtr IEffectVST2::ProcessEvents(const VstEvents* events) {
  if (!events) return 1;
  for (int i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = events->events[i];
    if (!e) continue;
    if (e->type == kVstMidiType) {
      const auto* m = reinterpret_cast<const VstMidiEvent*>(e);
      IMidiMsg msg;
      msg.mOffset = m->deltaFrames;
      msg.mStatus = uint8_t(m->midiData[0]);
      msg.mData1 = uint8_t(m->midiData[1]);
      msg.mData2 = uint8_t(m->midiData[2]);
      ProcessMidiMsg(&msg);
    } else if (e->type == kVstSysExType) {
      const auto* s = reinterpret_cast<const VstMidiSysexEvent*>(e);
      if (!s->sysexDump || s->dumpBytes <= 0) continue;
      ISysEx msg;
      msg.mOffset = s->deltaFrames;
      msg.mData = reinterpret_cast<const uint8_t*>(s->sysexDump);
      msg.mSize = s->dumpBytes;
      ProcessSysEx(&msg);
    }
  }
  return 1;
}

VstIntPtr IEffectVST2::GetMidiKeyName(MidiKeyName* key) {
  if (!key) return 0;
  char name[sizeof key->keyName] = {};
  if (!MidiNoteName(key->thisKeyNumber, name)) return 0;
  CopyText(key->keyName, name, int(sizeof key->keyName));
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Processing

// Null pointer arrays or channels read as silence and discard the output (the base's rule).
template <typename Sample>
void IEffectVST2::ProcessReplacing(Sample** inputs, Sample** outputs, int nFrames) {
  if (nFrames <= 0) return;
  AttachInputBuffers(0, NInChannels(), inputs, nFrames);
  AttachOutputBuffers(0, NOutChannels(), outputs);
  ProcessBuffers(Sample(0), nFrames);
}
template void IEffectVST2::ProcessReplacing(float**, float**, int);
template void IEffectVST2::ProcessReplacing(double**, double**, int);

// The old accumulating entry adds the processed block to what the host's outputs already hold.
void IEffectVST2::ProcessAccumulating(float** inputs, float** outputs, int nFrames) {
  if (nFrames <= 0 || !outputs) return;
  const int piece = GetBlockSize();
  if (piece <= 0) return;
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int done = 0; done < nFrames; done += piece) {
    const int n = std::min(piece, nFrames - done);
    for (int c = 0; c < nIn; ++c) mInPtrs[size_t(c)] = inputs && inputs[c] ? inputs[c] + done : nullptr;
    for (int c = 0; c < nOut; ++c) mOutPtrs[size_t(c)] = mAccumulate[size_t(c)].data();
    AttachInputBuffers(0, nIn, mInPtrs.data(), n);
    AttachOutputBuffers(0, nOut, mOutPtrs.data());
    ProcessBuffers(0.0f, n);
    for (int c = 0; c < nOut; ++c) {
      float* dest = outputs[c];
      if (!dest) continue;
      const float* src = mAccumulate[size_t(c)].data();
      for (int i = 0; i < n; ++i) dest[done + i] += src[i];
    }
  }
}
