#pragma once
// Binds the plug-in base to the VST 2.4 interface: the AEffect record the host sees, the
// dispatcher, parameter and processing entries, and the host callbacks the base needs.

#include <chrono>
#include <vector>

#include "framework/core/IEffectBase.h"
#include "framework/hosts/vst2/Vst2Interface.h"

// Construction argument of the plug-in class on this adapter.
struct IInstanceInfo {
  vst2::HostCallback mHostCallback = nullptr;
};

class IEffectVST2 : public IEffectBase {
 public:
  IEffectVST2(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
              const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
              int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  ~IEffectVST2() override;

  // The record handed to the host; valid for the life of the instance.
  vst2::AEffect* GetAEffect() { return &mAEffect; }
  static IEffectVST2* FromAEffect(vst2::AEffect* effect);

  // ---- adapter hooks of the base (threads as in IEffectBase.h) ----
  void BeginInformHostOfParamChange(int paramIdx) override;                     // editor thread, no lock
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;  // editor thread, lock held
  void EndInformHostOfParamChange(int paramIdx) override;                       // editor thread, no lock
  void InformHostOfProgramChange() override;                                    // any thread
  bool IsRenderingOffline() override;                          // audio thread, lock not always held
  int GetSamplePos() override;                                 // audio thread, lock held
  double GetTempo() override;                                  // audio thread, lock held
  void GetTimeSig(int* numerator, int* denominator) override;  // audio thread, lock held
  void GetTime(ITimeInfo* timeInfo) override;                  // audio thread, lock held
  EHost GetHost() override;                                    // control thread, lock held
  void ResizeGraphics(int w, int h) override;                  // editor thread, lock not held
  void HostSpecificInit() override;                            // control thread at open, lock held
  void AttachGraphics(IGraphics* graphics) override;           // plug-in's constructor, takes the lock
  void SetLatency(int samples) override;                       // control thread, takes the lock
  void SetBlockSize(int blockSize) override;                   // control thread, takes the lock

  bool HasCockosExtensions() const { return mHasCockosExtensions; }
  bool HasCockosViewAsConfig() const { return mHasCockosViewAsConfig; }

 private:
  // Bytes written into the host's buffer for a parameter text, the NUL included. The interface
  // promises only kVstMaxParamStrLen (8) for names, labels and displays; every host in use lends
  // at least its extended size, kVstExtMaxParamStrLen (32), and names such as "Bypass signal
  // volume" need more than 8. Labels (all empty here) keep the strict 8. Our longest text is 21
  // bytes, so nothing is ever cut; the bound only keeps a longer text from overrunning.
  static constexpr int kParamTextLen = 32;
  static constexpr int kParamLabelLen = vst2::kVstMaxParamStrLen;

  // Entries of the AEffect record; each keeps exceptions on this side of the host boundary. The
  // process entries are the audio thread's, the others the control thread's; all take the instance
  // lock except the editor's window opcodes (see IEffectVST2.cpp).
  static vst2::VstIntPtr VSTDispatcher(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                       vst2::VstIntPtr value, void* ptr, float opt);
  static void VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs, vst2::VstInt32 nFrames);
  // Before an offline block, without the lock: the instance's pending work is finished first.
  static void FinishWorkIfOffline(vst2::AEffect* effect);
  static void VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                  vst2::VstInt32 nFrames);
  static void VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                        vst2::VstInt32 nFrames);
  static void VSTSetParameter(vst2::AEffect* effect, vst2::VstInt32 idx, float value);
  static float VSTGetParameter(vst2::AEffect* effect, vst2::VstInt32 idx);

  template <typename Result, typename Call>
  static Result Locked(vst2::AEffect* effect, Result fallback, Call&& call);

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                           float opt);
  vst2::VstIntPtr Callback(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);

  // ---- Dispatch's handlers, by the file they live in ----
  // Programs
  vst2::VstIntPtr SetProgram(vst2::VstIntPtr idx);
  vst2::VstIntPtr SetProgramName(const char* name);
  vst2::VstIntPtr GetProgramName(void* dest);
  vst2::VstIntPtr GetProgramNameIndexed(int idx, void* dest);
  vst2::VstIntPtr GetChunk(bool isBank, void** data);
  vst2::VstIntPtr SetChunk(bool isBank, const void* data, vst2::VstIntPtr size);
  bool ChunkFits(bool isBank, ByteChunk& chunk, int pos);
  // Parameters
  vst2::VstIntPtr GetParamText(vst2::VstInt32 opcode, int idx, void* dest);
  vst2::VstIntPtr CanBeAutomated(int idx);
  vst2::VstIntPtr StringToParameter(int idx, const char* text);
  vst2::VstIntPtr VendorSpecific(vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  // Audio
  vst2::VstIntPtr SetSampleRateFromHost(float rate);
  vst2::VstIntPtr SetBlockSizeFromHost(vst2::VstIntPtr blockSize);
  vst2::VstIntPtr MainsChanged(bool on);
  vst2::VstIntPtr PinProperties(bool input, int idx, vst2::VstPinProperties* props);
  vst2::VstIntPtr SetSpeakerArrangement(const vst2::VstSpeakerArrangement* in,
                                        const vst2::VstSpeakerArrangement* out);
  vst2::VstIntPtr GetSpeakerArrangement(vst2::VstSpeakerArrangement** in, vst2::VstSpeakerArrangement** out);
  vst2::VstIntPtr ProcessEvents(const vst2::VstEvents* events);
  vst2::VstIntPtr GetMidiKeyName(vst2::MidiKeyName* key);
  // Editor
  vst2::VstIntPtr OpenEditor(void* parent);
  vst2::VstIntPtr CloseEditorForHost();  // 1 when a window was open
  vst2::VstIntPtr EditorIdle();
  vst2::VstIntPtr GetEditorRect(vst2::ERect** rect);
  void CloseEditor();
  // Host
  vst2::VstIntPtr Open();
  vst2::VstIntPtr GetIdentity(const char* text, int size, void* dest);
  vst2::VstIntPtr CanDo(const char* what);

  void PublishIO();
  const vst2::VstTimeInfo* HostTimeInfo(vst2::VstInt32 filter);

  template <typename Sample>
  void ProcessReplacing(Sample** inputs, Sample** outputs, int nFrames);
  void ProcessAccumulating(float** inputs, float** outputs, int nFrames);

  vst2::HostCallback mHostCallback = nullptr;
  vst2::AEffect mAEffect{};
  vst2::ERect mEditRect{};
  vst2::VstSpeakerArrangement mInputSpkrArr{};
  vst2::VstSpeakerArrangement mOutputSpkrArr{};
  // The chunks stay alive between calls: the host reads the bytes after get-chunk returns, without
  // the lock. They are lent in turn, so a host copying one while another of its threads saves reads
  // bytes that nobody is writing.
  static constexpr int kLentChunks = 4;
  ByteChunk mLentChunks[kLentChunks];
  int mNextLent = 0;
  bool mHostSpecificInitDone = false;
  bool mHasCockosExtensions = false;
  bool mHasCockosViewAsConfig = false;
  bool mEditorOpen = false;
  std::chrono::steady_clock::time_point mLastRepaint{};

  // Audio-thread scratch, sized on the control thread so processing never allocates.
  std::vector<std::vector<float>> mAccumulate;  // one block per output
  std::vector<float*> mInPtrs;
  std::vector<float*> mOutPtrs;
};
