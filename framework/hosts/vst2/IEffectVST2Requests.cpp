// What the host asks of the instance beyond the plain opcodes: chunks, parameter texts, can-do
// strings, pins, speaker arrangements and events.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/graphics/IGraphics.h"
#include "framework/hosts/vst2/IEffectVST2.h"

using namespace vst2;

namespace {

constexpr VstIntPtr kCockosAnswer = 0xbeef0000;
constexpr VstIntPtr kVendorAnswer = 0xbeef;
constexpr VstInt32 kVendorParamDisplay = 7;
constexpr VstInt32 kVendorParamIntStep = 8;

}  // namespace

VstIntPtr IEffectVST2::GetChunk(bool isBank, void** data) {
  if (!data) return 0;
  *data = nullptr;
  ByteChunk& chunk = isBank ? mBankState : mState;
  InitChunkWithFrameworkVer(&chunk);
  bool ok;
  if (isBank) {
    ModifyCurrentPreset();
    ok = SerializePresets(&chunk);
  } else {
    ok = SerializeState(&chunk);
  }
  if (!ok || chunk.Size() <= 0) return 0;
  *data = chunk.GetBytes();
  return chunk.Size();
}

// The state has one size for a build: a chunk too short for the states it announces is refused
// before anything is read, so a damaged chunk never leaves a half-loaded instance.
bool IEffectVST2::ChunkFits(bool isBank, ByteChunk& chunk, int pos) {
  ByteChunk current;
  if (!SerializeState(&current)) return false;
  const int stateSize = current.Size();
  if (!isBank) return pos >= 0 && chunk.Size() - pos >= stateSize;
  for (int i = 0; i < NPresets(); ++i) {
    std::string name;
    bool initialized = false;
    pos = chunk.GetStr(&name, pos);
    if (pos >= 0) pos = chunk.GetBool(&initialized, pos);
    if (pos < 0) return false;
    if (initialized) {
      if (chunk.Size() - pos < stateSize) return false;
      pos += stateSize;
    }
  }
  return true;
}

VstIntPtr IEffectVST2::SetChunk(bool isBank, const void* data, VstIntPtr size) {
  if (!data || size <= 0 || size > 0x7fffffff - ByteChunk::kGrowStep) return 0;
  // A copy of its own: hosts hand back the very buffer get-chunk lent them, which lives in
  // mState or mBankState; and a refused chunk must not replace what get-chunk lends next.
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  int pos = 0;
  const int version = GetFrameworkVerFromChunk(&chunk, &pos);
  // Builds without the header stored a bare program state.
  const bool asBank = isBank && version != 0;
  if (pos < 0 || !ChunkFits(asBank, chunk, pos)) return 0;

  ByteChunk before;
  SerializeState(&before);
  if (asBank) {
    pos = UnserializePresets(&chunk, pos);  // puts back what it changed when it refuses
  } else {
    pos = UnserializeState(&chunk, pos);
    if (pos >= 0) ModifyCurrentPreset();
  }
  if (pos < 0) {
    RestoreStateIfChanged(&before);
    RedrawParamControls();
    return 0;
  }
  RedrawParamControls();
  return 1;
}

// The text is the parameter's own: a display text, its format ("-10.0 dB", "A4") or a number.
VstIntPtr IEffectVST2::StringToParameter(int idx, const char* text) {
  IParam* param = GetParam(idx);
  double v = 0.0;
  if (!param || !param->ParseForHost(text, &v) || !std::isfinite(v)) return 0;
  v = std::clamp(v, param->Min(), param->Max());
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(idx, v, false);
  param->Set(v);
  OnParamChange(idx);
  return 1;
}

VstIntPtr IEffectVST2::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const IParam* param = value >= 0 && value < NParams() ? GetParam(int(value)) : nullptr;
  if (index == kVendorParamDisplay) {
    // A value that is no number has no text (and would not survive the integer formatting).
    if (!param || !ptr || !std::isfinite(opt)) return 0;
    param->GetDisplayForHost(opt, true, static_cast<char*>(ptr), kParamTextLen, true);
    return kVendorAnswer;
  }
  if (index == kVendorParamIntStep) return param && param->Type() != IParam::kTypeDouble ? kVendorAnswer : 0;
  return 0;
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
  const int nIn = std::clamp(int(in->numChannels), 0, NInChannels());
  const int nOut = std::clamp(int(out->numChannels), 0, NOutChannels());
  SetInputChannelConnections(0, nIn, true);
  SetInputChannelConnections(nIn, NInChannels() - nIn, false);
  SetOutputChannelConnections(0, nOut, true);
  SetOutputChannelConnections(nOut, NOutChannels() - nOut, false);
  return 1;
}

void IEffectVST2::ProcessEvents(const VstEvents* events) {
  if (!events) return;
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
}
