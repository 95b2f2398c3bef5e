#include "framework/hosts/vst2/IEffectVST2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/graphics/IGraphics.h"
#if RESONIX_VST2_X11
#include "framework/graphics/linux/IGraphicsLinux.h"
#endif

using namespace vst2;

namespace {

constexpr int kBlockSizeAtStart = 1024;
// Largest block size a host may announce; above it the announcement is refused and processing
// goes on in pieces of the current size.
constexpr int kMaxBlockSize = 1 << 20;
// Parameter texts: the interface's extended size, which every current host provides.
constexpr int kParamStrLen = 32;
constexpr VstIntPtr kCockosAnswer = 0xbeef0000;
constexpr VstIntPtr kVendorAnswer = 0xbeef;
constexpr VstInt32 kVendorParamDisplay = 7;
constexpr VstInt32 kVendorParamIntStep = 8;

void CopyText(void* dest, const char* text, int size) {
  if (!dest || size <= 0) return;
  char* out = static_cast<char*>(dest);
  std::snprintf(out, size_t(size), "%s", text ? text : "");
}

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

IEffectVST2::IEffectVST2(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                         bool plugDoesChunks, bool plugIsInst)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                  mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST2),
      mHostCallback(instanceInfo.mHostCallback) {
  // The record is complete before the plug-in's constructor runs: it may call the host already.
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;
  mAEffect.numPrograms = std::max(nPresets, 1);
  mAEffect.numParams = nParams;
  mAEffect.initialDelay = latency;
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = uniqueID;
  mAEffect.version = GetEffectVersion(true);
  mAEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (plugDoesChunks) mAEffect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) mAEffect.flags |= effFlagsCanMono;
  if (plugIsInst) mAEffect.flags |= effFlagsIsSynth;

  // Hosts that never send a speaker arrangement get every channel connected.
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  mInPtrs.assign(size_t(NInChannels()) + 1, nullptr);
  mOutPtrs.assign(size_t(NOutChannels()) + 1, nullptr);
  SetBlockSize(kBlockSizeAtStart);
  PublishIO();
}

IEffectVST2::~IEffectVST2() = default;

IEffectVST2* IEffectVST2::FromAEffect(AEffect* effect) {
  return effect ? static_cast<IEffectVST2*>(effect->object) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Entries of the record

// Runs one host entry on the instance under its lock; a failure inside gives the fallback.
template <typename Result, typename Call>
Result IEffectVST2::Locked(AEffect* effect, Result fallback, Call&& call) {
  IEffectVST2* plug = FromAEffect(effect);
  if (!plug) return fallback;
  try {
    Lock lock(plug->GetMutex());
    return call(*plug);
  } catch (...) {
    return fallback;
  }
}

VstIntPtr IEffectVST2::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt) {
  IEffectVST2* plug = FromAEffect(effect);
  if (!plug) return 0;
  try {
    if (opcode == effClose) {
      { Lock lock(plug->GetMutex()); }
      // The instance goes away with its lock: nothing may hold it now.
      plug->CloseEditor();
      delete plug;
      return 0;
    }
    // Repainting is editor-thread work: it runs without the instance lock, as the window
    // timer of the other platforms does, so the audio thread never waits for a redraw.
    if (opcode == effEditIdle) {
      plug->EditorIdle();
      return 0;
    }
    if (opcode == effIdle) return 0;
  } catch (...) {
    return 0;
  }
  return Locked(effect, VstIntPtr(0),
                [&](IEffectVST2& p) { return p.Dispatch(opcode, index, value, ptr, opt); });
}

void IEffectVST2::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.ProcessAccumulating(inputs, outputs, nFrames);
    return 0;
  });
}

void IEffectVST2::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.ProcessReplacing(inputs, outputs, nFrames);
    return 0;
  });
}

void IEffectVST2::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                            VstInt32 nFrames) {
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.ProcessReplacing(inputs, outputs, nFrames);
    return 0;
  });
}

void IEffectVST2::VSTSetParameter(AEffect* effect, VstInt32 idx, float value) {
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.SetParameterFromHost(idx, value);
    return 0;
  });
}

float IEffectVST2::VSTGetParameter(AEffect* effect, VstInt32 idx) {
  return Locked(effect, 0.0f, [&](IEffectVST2& plug) {
    const IParam* param = plug.GetParam(idx);
    return param ? float(param->GetNormalized()) : 0.0f;
  });
}

// ---------------------------------------------------------------------------------------------
// Dispatcher

VstIntPtr IEffectVST2::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case effOpen:
      HostSpecificInit();
      OnParamReset();
      return 0;

    case effSetProgram:
      if (value < 0 || value >= NPresets()) return 0;
      if (!DoesStateChunks()) ModifyCurrentPreset();
      RestorePreset(int(value));
      return 0;

    case effGetProgram:
      return GetCurrentPresetIdx();

    case effSetProgramName:
      if (!ptr) return 0;
      ModifyCurrentPreset(static_cast<const char*>(ptr));
      PresetsChangedByHost();
      return 0;

    case effGetProgramName:
      CopyText(ptr, GetPresetName(GetCurrentPresetIdx()), kVstMaxProgNameLen);
      return 0;

    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName: {
      if (!ptr) return 0;
      const IParam* param = GetParam(index);
      if (!param) {
        CopyText(ptr, "", kParamStrLen);
        return 0;
      }
      if (opcode == effGetParamLabel)
        CopyText(ptr, param->GetLabelForHost(), kParamStrLen);
      else if (opcode == effGetParamName)
        CopyText(ptr, param->GetNameForHost(), kParamStrLen);
      else
        param->GetDisplayForHost(param->Value(), false, static_cast<char*>(ptr), kParamStrLen, true);
      return 0;
    }

    case effSetSampleRate:
      // A rate that is no rate would poison every design; the current one stays.
      if (!std::isfinite(opt) || opt <= 0.0f) return 0;
      SetSampleRate(opt);
      Reset();
      return 0;

    case effSetBlockSize:
      if (value <= 0 || value > kMaxBlockSize) return 0;
      SetBlockSize(int(value));
      Reset();
      return 0;

    case effMainsChanged:
      if (value == 0) {
        OnActivate(false);
        Reset();
      } else {
        OnActivate(true);
      }
      return 0;

    case effEditGetRect:
      if (!ptr || !GetGUI()) return 0;
      *static_cast<ERect**>(ptr) = &mEditRect;
      return 1;

    case effEditOpen:
      return OpenEditor(ptr);

    case effEditClose:
      if (!mEditorOpen) return 0;
      CloseEditor();
      return 1;

    case effIdentify:
      return fourCC('N', 'v', 'E', 'f');

    case effGetChunk:
      return GetChunk(index == 0, static_cast<void**>(ptr));

    case effSetChunk:
      return SetChunk(index == 0, ptr, value);

    case effProcessEvents:
      ProcessEvents(static_cast<const VstEvents*>(ptr));
      return 1;

    case effCanBeAutomated:
      return 1;

    case effString2Parameter:
      return StringToParameter(index, static_cast<const char*>(ptr));

    case effGetProgramNameIndexed: {
      if (index < 0 || index >= NPresets()) return 0;
      const char* name = GetPresetName(index);
      CopyText(ptr, name, kVstMaxProgNameLen);
      return name[0] ? 1 : 0;
    }

    case effGetInputProperties:
      return PinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
      return PinProperties(false, index, static_cast<VstPinProperties*>(ptr));

    case effGetPlugCategory:
      return IsInst() ? kPlugCategSynth : kPlugCategEffect;

    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                   static_cast<const VstSpeakerArrangement*>(ptr));

    case effGetEffectName:
      CopyText(ptr, GetEffectName(), kVstMaxEffectNameLen);
      return ptr ? 1 : 0;
    case effGetVendorString:
      CopyText(ptr, GetMfrName(), kVstMaxVendorStrLen);
      return ptr ? 1 : 0;
    case effGetProductString:
      CopyText(ptr, GetProductName(), kVstMaxProductStrLen);
      return ptr ? 1 : 0;

    case effGetVendorVersion:
      return GetEffectVersion(true);

    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);

    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));

    case effGetTailSize:
      return GetTailSize();

    case effGetVstVersion:
      return kVstVersion;

    case effGetMidiKeyName: {
      auto* key = static_cast<MidiKeyName*>(ptr);
      if (!key) return 0;
      char name[sizeof key->keyName] = {};
      if (!MidiNoteName(key->thisKeyNumber, name)) return 0;
      CopyText(key->keyName, name, int(sizeof key->keyName));
      return 1;
    }

    case effGetSpeakerArrangement: {
      auto** in = reinterpret_cast<VstSpeakerArrangement**>(value);
      auto** out = static_cast<VstSpeakerArrangement**>(ptr);
      if (!in || !out) return 0;
      *in = &mInputSpkrArr;
      *out = &mOutputSpkrArr;
      return 1;
    }

    default:
      return 0;
  }
}

VstIntPtr IEffectVST2::Callback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}

// ---------------------------------------------------------------------------------------------
// Chunks

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
  ByteChunk& chunk = isBank ? mBankState : mState;
  chunk.Clear();
  chunk.PutBytes(data, int(size));
  int pos = 0;
  const int version = GetFrameworkVerFromChunk(&chunk, &pos);
  // Builds without the header stored a bare program state.
  const bool asBank = isBank && version != 0;
  if (pos < 0 || !ChunkFits(asBank, chunk, pos)) return 0;

  // What the plug-in refuses on reading is put back as it was.
  ByteChunk before, bankBefore;
  SerializeState(&before);
  if (asBank) SerializePresets(&bankBefore);
  if (asBank) {
    pos = UnserializePresets(&chunk, pos);
  } else {
    pos = UnserializeState(&chunk, pos);
    if (pos >= 0) ModifyCurrentPreset();
  }
  if (pos < 0) {
    if (asBank) UnserializePresets(&bankBefore, 0);
    UnserializeState(&before, 0);
    RedrawParamControls();
    return 0;
  }
  RedrawParamControls();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Parameters, strings, pins

void IEffectVST2::SetParameterFromHost(int idx, double normalized) {
  IParam* param = GetParam(idx);
  if (!param || !std::isfinite(normalized)) return;
  normalized = std::clamp(normalized, 0.0, 1.0);
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(idx, normalized, true);
  param->SetNormalized(normalized);
  OnParamChange(idx);
}

VstIntPtr IEffectVST2::StringToParameter(int idx, const char* text) {
  IParam* param = GetParam(idx);
  if (!param || !text) return 0;
  double v;
  if (param->GetNDisplayTexts() > 0) {
    int mapped = 0;
    if (!param->MapDisplayText(text, &mapped)) return 0;
    v = mapped;
  } else {
    v = std::atof(text);
    if (param->NegateDisplay()) v = -v;
  }
  if (!std::isfinite(v)) return 0;
  v = std::clamp(v, param->Min(), param->Max());
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(idx, v, false);
  param->Set(v);
  OnParamChange(idx);
  return 1;
}

VstIntPtr IEffectVST2::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const IParam* param = value >= 0 && value < NParams() ? GetParam(int(value)) : nullptr;
  if (index == kVendorParamDisplay) {
    if (!param || !ptr) return 0;
    param->GetDisplayForHost(opt, true, static_cast<char*>(ptr), kParamStrLen, true);
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
  CopyText(props->shortLabel, shortLabel.c_str(), int(sizeof props->shortLabel));
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

// ---------------------------------------------------------------------------------------------
// Editor

VstIntPtr IEffectVST2::OpenEditor(void* parent) {
  IGraphics* gui = GetGUI();
  if (!gui || !parent) return 0;
  if (mEditorOpen) CloseEditor();
  if (!gui->OpenWindow(parent)) return 0;
  mEditorOpen = true;
  OnGUIOpen();
  return 1;
}

void IEffectVST2::CloseEditor() {
  if (!mEditorOpen) return;
  OnGUIClose();
  if (IGraphics* gui = GetGUI()) gui->CloseWindow();
  mEditorOpen = false;
}

// Linux hosts drive the editor through their idle calls: each one handles the window's events,
// and at the editor's frame rate one also repaints what changed.
void IEffectVST2::EditorIdle() {
  if (!mEditorOpen) return;
#if RESONIX_VST2_X11
  auto* gui = dynamic_cast<IGraphicsLinux*>(GetGUI());
  if (!gui) return;
  const auto now = std::chrono::steady_clock::now();
  const int fps = gui->FPS() > 0 ? gui->FPS() : IGraphics::kDefaultFPS;
  if (now - mLastRepaint >= std::chrono::milliseconds(1000 / fps)) {
    mLastRepaint = now;
    gui->OnTimer();
  } else {
    gui->ProcessEvents();
  }
#endif
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

void IEffectVST2::SetBlockSize(int blockSize) {
  IEffectBase::SetBlockSize(blockSize);
  mAccumulate.resize(size_t(NOutChannels()));
  for (auto& buffer : mAccumulate) buffer.assign(size_t(std::max(GetBlockSize(), 0)), 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Host callbacks

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

void IEffectVST2::PublishIO() {
  int nIn = 0, nOut = 0;
  for (int i = 0; i < NInChannels(); ++i) nIn += IsInChannelConnected(i) ? 1 : 0;
  for (int i = 0; i < NOutChannels(); ++i) nOut += IsOutChannelConnected(i) ? 1 : 0;
  mAEffect.numInputs = nIn;
  mAEffect.numOutputs = nOut;
  InitArrangement(&mInputSpkrArr, nIn);
  InitArrangement(&mOutputSpkrArr, nOut);
}

void IEffectVST2::AttachGraphics(IGraphics* graphics) {
  IEffectBase::AttachGraphics(graphics);
  if (!graphics) return;
  mAEffect.flags |= effFlagsHasEditor;
  mEditRect = {0, 0, VstInt16(graphics->Height()), VstInt16(graphics->Width())};
}

void IEffectVST2::ResizeGraphics(int w, int h) {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  mEditRect = {0, 0, VstInt16(gui->Height()), VstInt16(gui->Width())};
  OnWindowResize();
}

void IEffectVST2::SetLatency(int samples) {
  IEffectBase::SetLatency(samples);
  mAEffect.initialDelay = samples;
}
