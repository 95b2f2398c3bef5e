// The VST2 adapter's entries: the AEffect record, its entry functions and the dispatcher.
//
// Where an opcode lives: Dispatch only routes, each opcode to one handler, and each handler sits in
// the file of its concern:
//   IEffectVST2Programs.cpp    programs, their names, chunks
//   IEffectVST2Parameters.cpp  parameter texts, automation flags, the vendor's parameter queries
//   IEffectVST2Audio.cpp       rate, block size, activation, channels and speakers, events, processing
//   IEffectVST2Editor.cpp      the editor window, its idle calls and its size
//   IEffectVST2Host.cpp        what the host asks of us (identity, can-do) and what we ask of it
//
// The lock rule, stated here only: every entry runs under the instance lock except the editor's
// window opcodes (see IsWindowOpcode) and effClose, which waits for the lock and then deletes it.
#include "framework/hosts/vst2/IEffectVST2.h"

#include <algorithm>

using namespace vst2;

namespace {

constexpr int kBlockSizeAtStart = 1024;

// The editor window is editor-thread work and runs without the instance lock, as the window timer of
// the other platforms does: the audio thread never waits for a redraw, and the editor, which takes its
// own lock before the instance's (a click that moves a parameter), is never entered the other way
// round. Sizing the editor follows the desktop's density, which takes the editor's lock too. The
// host's plain idle call does nothing and needs no lock either.
bool IsWindowOpcode(VstInt32 opcode) {
  return opcode == effEditIdle || opcode == effEditOpen || opcode == effEditGetRect ||
         opcode == effEditClose || opcode == effIdle;
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
  ConnectChannels(NInChannels(), NOutChannels());
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
    if (IsWindowOpcode(opcode)) return plug->Dispatch(opcode, index, value, ptr, opt);
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

// Hosts send automation from their audio thread just before its block: there it is audio-path work.
void IEffectVST2::VSTSetParameter(AEffect* effect, VstInt32 idx, float value) {
  Locked(effect, 0, [&](IEffectVST2& plug) {
    if (plug.Threads().OnLastAudioThread()) {
      const ThreadCheck::AudioScope audio(plug.Threads());
      plug.SetParameterFromHost(idx, value);
    } else {
      plug.SetParameterFromHost(idx, value);
    }
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
// Dispatcher: routes only

VstIntPtr IEffectVST2::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  // One line per opcode: the switch reads as the routing table it is.
  // clang-format off
  switch (opcode) {
    // Programs and chunks
    case effSetProgram: return SetProgram(value);
    case effGetProgram: return GetCurrentPresetIdx();
    case effSetProgramName: return SetProgramName(static_cast<const char*>(ptr));
    case effGetProgramName: return GetProgramName(ptr);
    case effGetProgramNameIndexed: return GetProgramNameIndexed(index, ptr);
    case effGetChunk: return GetChunk(index == 0, static_cast<void**>(ptr));
    case effSetChunk: return SetChunk(index == 0, ptr, value);

    // Parameters
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName: return GetParamText(opcode, index, ptr);
    case effCanBeAutomated: return CanBeAutomated(index);
    case effString2Parameter: return StringToParameter(index, static_cast<const char*>(ptr));
    case effVendorSpecific: return VendorSpecific(index, value, ptr, opt);

    // Audio: rate, block, activation, channels, events
    case effSetSampleRate: return SetSampleRateFromHost(opt);
    case effSetBlockSize: return SetBlockSizeFromHost(value);
    case effMainsChanged: return MainsChanged(value != 0);
    case effGetInputProperties: return PinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties: return PinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                   static_cast<const VstSpeakerArrangement*>(ptr));
    case effGetSpeakerArrangement:
      return GetSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                   static_cast<VstSpeakerArrangement**>(ptr));
    case effProcessEvents: return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effGetMidiKeyName: return GetMidiKeyName(static_cast<MidiKeyName*>(ptr));
    case effGetTailSize: return GetTailSize();

    // Editor
    case effEditOpen: return OpenEditor(ptr);
    case effEditClose: return CloseEditorForHost();
    case effEditIdle: return EditorIdle();
    case effEditGetRect: return GetEditorRect(static_cast<ERect**>(ptr));

    // Host: identity, capabilities
    case effOpen: return Open();
    case effIdle: return 0;
    case effIdentify: return fourCC('N', 'v', 'E', 'f');
    case effGetPlugCategory: return IsInst() ? kPlugCategSynth : kPlugCategEffect;
    case effGetEffectName: return GetIdentity(GetEffectName(), kVstMaxEffectNameLen, ptr);
    case effGetVendorString: return GetIdentity(GetMfrName(), kVstMaxVendorStrLen, ptr);
    case effGetProductString: return GetIdentity(GetProductName(), kVstMaxProductStrLen, ptr);
    case effGetVendorVersion: return GetEffectVersion(true);
    case effGetVstVersion: return kVstVersion;
    case effCanDo: return CanDo(static_cast<const char*>(ptr));

    default: return 0;
  }
  // clang-format on
}

VstIntPtr IEffectVST2::Callback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}
