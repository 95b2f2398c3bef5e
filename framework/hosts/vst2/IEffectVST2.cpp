#include "framework/hosts/vst2/IEffectVST2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/graphics/IGraphics.h"

using namespace vst2;

namespace {

constexpr int kBlockSizeAtStart = 1024;
// Largest block size a host may announce; above it the announcement is refused and processing
// goes on in pieces of the current size.
constexpr int kMaxBlockSize = 1 << 20;

// Copies at most size - 1 characters and always terminates: host buffers have fixed sizes.
void CopyText(void* dest, const char* text, int size) {
  if (!dest || size <= 0) return;
  if (!text) text = "";
  char* out = static_cast<char*>(dest);
  const size_t n = strnlen(text, size_t(size) - 1);
  std::memcpy(out, text, n);
  out[n] = 0;
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
    // The editor window is editor-thread work and runs without the instance lock, as the window
    // timer of the other platforms does: the audio thread never waits for a redraw, and the
    // editor, which takes its own lock before the instance's (a click that moves a parameter),
    // is never entered the other way round.
    if (opcode == effEditIdle) {
      plug->EditorIdle();
      return 0;
    }
    if (opcode == effEditOpen) return plug->OpenEditor(ptr);
    // Sizing the editor follows the desktop's density, which takes the editor's lock.
    if (opcode == effEditGetRect) return plug->Dispatch(opcode, index, value, ptr, opt);
    if (opcode == effEditClose) {
      if (!plug->mEditorOpen) return 0;
      plug->CloseEditor();
      return 1;
    }
    if (opcode == effIdle) return 0;
  } catch (...) {
    return 0;
  }
  return Locked(effect, VstIntPtr(0),
                [&](IEffectVST2& p) { return p.Dispatch(opcode, index, value, ptr, opt); });
}

// The process level is asked only while work is pending, so a real-time host is not called per block.
void IEffectVST2::FinishWorkIfOffline(AEffect* effect) {
  IEffectVST2* plug = FromAEffect(effect);
  if (!plug) return;
  try {
    if (plug->HasPendingWork() && plug->IsRenderingOffline()) plug->FinishPendingWork();
  } catch (...) {
  }
}

void IEffectVST2::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
  FinishWorkIfOffline(effect);
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.ProcessAccumulating(inputs, outputs, nFrames);
    return 0;
  });
}

void IEffectVST2::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
  FinishWorkIfOffline(effect);
  Locked(effect, 0, [&](IEffectVST2& plug) {
    plug.ProcessReplacing(inputs, outputs, nFrames);
    return 0;
  });
}

void IEffectVST2::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                            VstInt32 nFrames) {
  FinishWorkIfOffline(effect);
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
        CopyText(ptr, "", kParamLabelLen);
        return 0;
      }
      if (opcode == effGetParamLabel)
        CopyText(ptr, param->GetLabelForHost(), kParamLabelLen);
      else if (opcode == effGetParamName)
        CopyText(ptr, param->GetNameForHost(), kParamTextLen);
      else
        param->GetDisplayForHost(param->Value(), false, static_cast<char*>(ptr), kParamTextLen, true);
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
      // VST2 hosts say nothing of the screen's density: the editor follows the desktop's.
      GetGUI()->FollowDesktopScale();
      mEditRect = {0, 0, VstInt16(GetGUI()->DeviceHeight()), VstInt16(GetGUI()->DeviceWidth())};
      *static_cast<ERect**>(ptr) = &mEditRect;
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

    case effCanBeAutomated: {
      const IParam* param = GetParam(index);
      return param && param->CanAutomate() ? 1 : 0;
    }

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
// Channels and editor attachment

void IEffectVST2::PublishIO() {
  int nIn = 0, nOut = 0;
  for (int i = 0; i < NInChannels(); ++i) nIn += IsInChannelConnected(i) ? 1 : 0;
  for (int i = 0; i < NOutChannels(); ++i) nOut += IsOutChannelConnected(i) ? 1 : 0;
  mAEffect.numInputs = nIn;
  mAEffect.numOutputs = nOut;
  InitArrangement(&mInputSpkrArr, nIn);
  InitArrangement(&mOutputSpkrArr, nOut);
}

void IEffectVST2::SetLatency(int samples) {
  IEffectBase::SetLatency(samples);
  mAEffect.initialDelay = samples;
}
