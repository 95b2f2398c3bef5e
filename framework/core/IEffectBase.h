#pragma once
// The host-neutral half of a plug-in instance: parameters, presets, state chunks, channel buffers,
// the instance lock and the link to the editor. Host adapters derive from it and fill the host
// calls; the plug-in class derives from an adapter and overrides the hooks marked "plug-in".

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/core/ByteChunk.h"
#include "framework/core/EHost.h"
#include "framework/core/IMidiMsg.h"
#include "framework/core/IParam.h"
#include "framework/core/IPreset.h"
#include "framework/core/ThreadCheck.h"

class IGraphics;

enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIHeadless = 2, kAPILV2 = 3 };

// Four-character codes as the hosts expect them: 'Kor5' -> 0x4B6F7235.
constexpr int FourCC(const char (&code)[5]) {
  return int((unsigned(uint8_t(code[0])) << 24) | (unsigned(uint8_t(code[1])) << 16) |
             (unsigned(uint8_t(code[2])) << 8) | unsigned(uint8_t(code[3])));
}

class IEffectBase {
 public:
  static constexpr int kNameSize = 128;
  static constexpr int kChunkMagic = 0x70666674;
  static constexpr int kFrameworkVersion = 0x10000;

  using Lock = std::lock_guard<std::recursive_mutex>;

  IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
              int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // ---- virtual hooks, in slot order ----
  // Each says who calls it and whether the instance lock is held. Threads: "audio" (the host's
  // process call, or an offline render's), "control" (the host's other calls: setup, state,
  // programs), "editor" (the window's thread: mouse, keys, timer). "plug-in" marks the hooks the
  // plug-in class overrides, "adapter" those each host adapter fills.
  virtual ~IEffectBase();                    // control thread, lock not held (it goes with the instance)
  virtual void Reset();                      // plug-in; control thread, lock held
  virtual void OnParamChange(int paramIdx);  // plug-in; control, audio or editor thread, lock held
  // plug-in; audio thread, lock held. Default: input c to output c, other outputs silent.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void OnGUIOpen() {}            // plug-in; editor thread, lock not held, after the window exists
  virtual void OnGUIClose() {}           // plug-in; editor thread, lock not held, before the window goes
  virtual void OnIdle() {}               // plug-in; not called by these adapters
  virtual void OnActivate(bool active);  // plug-in; control thread, lock held (VST3: not held)
  virtual void ProcessMidiMsg(IMidiMsg* msg) {}                            // plug-in; audio thread, lock held
  virtual void ProcessSysEx(ISysEx* msg) {}                                // plug-in; audio thread, lock held
  virtual bool MidiNoteName(int noteNumber, char* name) { return false; }  // plug-in; control, lock held
  virtual bool SerializeState(ByteChunk* chunk);                 // plug-in; control thread, lock held
  virtual int UnserializeState(ByteChunk* chunk, int startPos);  // plug-in; control thread, lock held
  virtual bool CompareState(const unsigned char* incomingState, int startPos);  // plug-in; control, lock held
  virtual void OnWindowResize() {}                         // plug-in; editor thread, lock not held
  virtual bool HostRequestingAboutBox() { return false; }  // plug-in; not called by these adapters
  virtual void OnHostIdentified() {}                       // plug-in; control thread at open, lock held
  virtual void PopupHostContextMenuForParam(int paramIdx, int x, int y) {}  // adapter; editor, lock not held
  // Editor thread: a control moved a parameter. Takes the lock; never from the audio thread.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;  // adapter; editor thread, lock not held
  // adapter; editor thread, lock held (SetParameterFromGUI)
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;  // adapter; editor thread, lock not held
  virtual void InformHostOfProgramChange() = 0;               // adapter; the plug-in calls it from any thread
  virtual bool IsRenderingOffline() { return false; }         // adapter; audio thread, lock not always held
  virtual int GetSamplePos() { return 0; }                    // adapter; audio thread, lock held
  virtual double GetTempo() { return 0.0; }                   // adapter; audio thread, lock held
  virtual void GetTimeSig(int* numerator, int* denominator);  // adapter; audio thread, lock held
  virtual void GetTime(ITimeInfo* timeInfo) {}                // adapter; audio thread, lock held
  virtual EHost GetHost() { return mHost; }                   // adapter; control thread, lock held
  virtual EAPI GetAPI() { return mAPI; }                      // any thread, no lock needed
  virtual void ResizeGraphics(int w, int h) {}                // adapter; editor thread, lock not held
  virtual void HostSpecificInit() {}                          // adapter; control thread at open, lock held
  // Hands every parameter to the editor, prepares it and keeps it (owned from now on). Adapter adds
  // its own steps; called from the plug-in's constructor, takes the lock.
  virtual void AttachGraphics(IGraphics* graphics);
  virtual void SetLatency(int samples);  // adapter tells the host; control thread, takes the lock
  virtual bool SendMidiMsg(IMidiMsg* msg) { return false; }  // adapter; audio thread, lock held
  virtual bool SendSysEx(ISysEx* msg) { return false; }      // adapter; audio thread, lock held
  virtual void RedrawParamControls();                        // control or editor thread, takes the lock
  virtual void DirtyPTCompareState() {}                      // adapter; not called by these adapters
  virtual void PresetsChangedByHost() {}                     // plug-in; control thread, lock held
  virtual void SetBlockSize(int blockSize);  // control thread, takes the lock; never from the audio thread
  // plug-in: work of its own threads that an offline render must see finished first. The adapters
  // ask before an offline block (audio thread), without the lock; neither may be called under it.
  virtual bool HasPendingWork() { return false; }
  virtual void FinishPendingWork() {}

  // ---- parameters ----
  IParam* GetParam(int idx) { return idx >= 0 && idx < NParams() ? mParams[idx].get() : nullptr; }
  const IParam* GetParam(int idx) const { return idx >= 0 && idx < NParams() ? mParams[idx].get() : nullptr; }
  int NParams() const { return int(mParams.size()); }
  void OnParamReset();
  void DirtyParameters();
  // A host moved a parameter: the editor shows it, then the plug-in hears it. Bad indices and
  // values that are not finite are ignored; the rest are clamped into [0, 1]. Takes the lock.
  void SetParameterFromHost(int paramIdx, double normalizedValue);

  // ---- identity ----
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;  // 0x10109, or 10109 with decimal
  void GetEffectVersionStr(char* out, int outSize) const;
  std::string GetEffectVersionStr() const;
  int GetHostVersion(bool decimal) const;
  void GetHostVersionStr(char* out, int outSize) const;
  std::string GetHostVersionStr() const;
  void SetHost(const char* hostName, int hostVersion);
  const char* GetAPIString() const;
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }

  // ---- editor ----
  IGraphics* GetGUI() { return mGraphics; }

  // ---- rate and block ----
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }  // stores only; Reset follows
  int GetBlockSize() const { return mBlockSize; }

  // ---- channels and buffers ----
  int NInChannels() const { return int(mInChannels.size()); }
  int NOutChannels() const { return int(mOutChannels.size()); }
  bool LegalIO(int nIn, int nOut) const;
  int NChannelIO() const { return int(mChannelIO.size()); }
  void GetChannelIO(int idx, int* nIn, int* nOut) const;
  void LimitToStereoIO();
  // The host supplies nIn inputs and nOut outputs (clamped to ours): the first ones are connected,
  // the rest not. Adapters call it when the host says what it connects.
  void ConnectChannels(int nIn, int nOut);
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // Host buffers for the next ProcessBuffers / PassThroughBuffers call; null pointers read as
  // silence and discard the output. Call with the instance lock held (audio thread).
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  // Runs ProcessDoubleReplacing over the attached buffers in pieces of at most the block size
  // (silence when no block size is set); the float version converts in and out.
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  // Passes input to output, delayed by the latency, instead of processing: the host's bypass. A switch
  // between these two and ProcessBuffers fades from one to the other over a short fixed time.
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  // After a host reset (control thread, lock held): the next block plays the host's bypass or not at
  // once, as a fresh instance does.
  void RestartHostBypass() { mHostBypass.snap = true; }

  // ---- chunks and presets (all under the lock) ----
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);
  static void InitChunkWithFrameworkVer(ByteChunk* chunk);
  static int GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // After a refused load: puts the saved state back if the load had changed anything.
  void RestoreStateIfChanged(ByteChunk* saved);
  int NPresets() const { return int(mPresets.size()); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  IPreset* GetPreset(int idx) { return idx >= 0 && idx < NPresets() ? &mPresets[idx] : nullptr; }

  // ---- the instance lock (recursive) ----
  std::recursive_mutex& GetMutex() { return mMutex; }
  // Which thread is where, for the debug-build checks of the thread contract.
  ThreadCheck& Threads() { return mThreadCheck; }

 protected:
  struct InChannel {
    bool mConnected = false;
    double* mSrc = nullptr;        // host double buffer of this block, or null
    float* mSrcFloat = nullptr;    // host float buffer of this block, or null
    std::vector<double> mScratch;  // block-size doubles; zeros for an unconnected input
    std::string mLabel;
  };
  struct OutChannel {
    bool mConnected = false;
    double* mDest = nullptr;  // host double buffer of this block, or null
    float* mFDest = nullptr;  // host float buffer of this block, or null
    std::vector<double> mScratch;
    std::string mLabel;
  };

  std::recursive_mutex mMutex;
  ThreadCheck mThreadCheck;
  std::vector<std::unique_ptr<IParam>> mParams;
  std::vector<IPreset> mPresets;
  int mCurrentPresetIdx = 0;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency = 0;
  int mTailSize = 0;
  IGraphics* mGraphics = nullptr;
  std::vector<InChannel> mInChannels;
  std::vector<OutChannel> mOutChannels;

  // Frees the editor before the plug-in's own members go, so that no control outlives what it shows.
  void DeleteGraphics();

 private:
  void PassThrough(double** inputs, double** outputs, int nFrames, bool delayed);
  bool StoreCurrentState(IPreset* preset, const char* name);
  void RunBuffers(int nFrames, bool passThrough);
  void SetHostBypass(bool bypassed);
  void RunPiece(int nFrames);

  char mEffectName[kNameSize] = {};
  char mProductName[kNameSize] = {};
  char mMfrName[kNameSize] = {};
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  EAPI mAPI = kAPIVST2;
  bool mDoesMIDI = false;
  bool mStateChunks = false;
  bool mIsInst = false;

  std::vector<std::pair<int, int>> mChannelIO;
  std::vector<double*> mInData;  // pointer arrays handed to ProcessDoubleReplacing
  std::vector<double*> mOutData;
  std::vector<double> mLatencyRing;  // latency samples per input channel
  int mLatencyPos = 0;

  // The host's bypass as heard: 0 the processed output, 1 the input, in between while a switch fades.
  struct HostBypassFade {
    double from = 0.0, to = 0.0;
    int pos = 0, len = 0;  // samples played of the fade, and its length
    bool snap = true;      // the next block takes the host's bypass without a fade
  } mHostBypass;
  static constexpr int kFadeChunk = 256;  // frames mixed at a time during a fade
  std::vector<double> mFadeDry;           // kFadeChunk frames of input per output channel
  std::vector<double*> mFadeIn, mFadeOut, mFadeDryData;
};
