#pragma once
// Binds the plug-in base to LV2: the ports a host connects, run, activation, the State extension,
// and the instance side of the editor, which the UI reaches through instance-access.

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/core/IEffectBase.h"
#include "framework/hosts/lv2/Lv2PortLayout.h"

// Construction argument of the plug-in class on this adapter.
struct IInstanceInfo {
  int mChannels = 1;  // 1 or 2: which of the two plug-ins the host instantiated
  const LV2_Feature* const* mFeatures = nullptr;
};

class IEffectLV2 : public IEffectBase {
 public:
  // The largest block a host may run when it names none (options are optional in LV2); longer
  // runs are processed in pieces of this size.
  static constexpr int kDefaultBlockSize = 4096;

  IEffectLV2(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
             int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  ~IEffectLV2() override;

  int Channels() const { return mLayout.channels; }
  // After construction: the host's rate, then the block size its options name, then Reset.
  void Prepare(double sampleRate);

  // ---- host calls (threads as LV2's classes say) ----
  void ConnectPort(uint32_t port, void* data);  // any time but never during run
  void Activate();                              // instantiation class, lock taken
  void Deactivate();
  void Run(uint32_t nFrames);                                                           // audio thread
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);  // lock taken
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);  // lock taken

  // ---- the editor, on the host's UI thread, lock not held ----
  // Opens the editor inside parent; the host hears the editor's parameter moves through write
  // (and touch, when given). Returns the editor's window, or 0.
  unsigned long OpenEditor(void* parent, LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2UI_Touch* touch, const LV2UI_Resize* resize);
  void CloseEditor();
  int EditorIdle();  // 0 while the editor is open

  // ---- adapter hooks of the base ----
  void BeginInformHostOfParamChange(int paramIdx) override;                     // editor thread, no lock
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;  // editor thread, lock held
  void EndInformHostOfParamChange(int paramIdx) override;                       // editor thread, no lock
  void InformHostOfProgramChange() override {}  // LV2 has no programs to refresh
  bool IsRenderingOffline() override { return mFreeWheeling.load(std::memory_order_relaxed); }
  void ResizeGraphics(int w, int h) override;  // editor thread, lock not held

 private:
  // The description's control port that shows paramIdx, or -1.
  int PortOfParam(int paramIdx) const;
  void ApplyControlPorts();  // audio thread, lock held

  Lv2PortLayout mLayout;
  LV2_URID_Map* mMap = nullptr;  // optional: without it (lv2apply) the plug-in plays but keeps no state
  LV2_URID mStateKey = 0;
  LV2_URID mChunkType = 0;
  int mHostBlockSize = 0;  // from the host's options, 0 when it named none

  std::vector<const float*> mAudioIn;
  std::vector<float*> mAudioOut;
  std::vector<const float*> mControls;  // one per description port
  std::vector<float> mLastControl;      // the value each port had when it was last applied
  const float* mEnabled = nullptr;
  const float* mFreeWheel = nullptr;
  float* mLatencyOut = nullptr;
  std::atomic<bool> mFreeWheeling{false};
  std::atomic<unsigned> mEditingMask{0};  // bit k: the editor drags control port k

  // Editor, UI thread only.
  bool mEditorOpen = false;
  LV2UI_Write_Function mUiWrite = nullptr;
  LV2UI_Controller mUiController = nullptr;
  LV2UI_Touch mUiTouch{};
  LV2UI_Resize mUiResize{};
  long long mLastRepaintMs = 0;
};
