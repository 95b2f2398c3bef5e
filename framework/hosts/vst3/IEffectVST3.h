#pragma once
// The plug-in base bound to the VST3 interfaces: one object that is the audio processor and the
// edit controller. It exports the plug-in's parameters plus "Preset" and "Bypass", keeps the host's
// processing setup and the last process context, and opens its editor views.

#include <atomic>
#include <vector>

#include "framework/core/IEffectBase.h"
#include "framework/hosts/vst3/SingleComponentEffect.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

class IEffectVST3View;
class IGraphics;

// Construction argument of the plug-in class on this adapter; the factory has nothing to pass.
struct IInstanceInfo {};

class IEffectVST3 : public IEffectBase, public SingleComponentEffect {
 public:
  static constexpr Steinberg::Vst::ParamID kPresetParam = 0x70727374;  // 'prst'
  static constexpr Steinberg::Vst::ParamID kBypassParam = 0x62706173;  // 'bpas'

  IEffectVST3(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
              const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
              int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  ~IEffectVST3() override;

  // Threads as in IEffectBase.h: "control" is the host's setup and state calls, "editor" its UI
  // thread, which also calls the controller. "takes the lock" means the instance lock.
  // ---- IPluginBase ----
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;  // control thread, takes the lock
  tresult PLUGIN_API terminate() override;                               // control thread, takes the lock

  // ---- IComponent / IAudioProcessor ----
  tresult PLUGIN_API setActive(Steinberg::TBool state) override;      // control thread, lock not taken
  tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;  // control thread, takes the lock
  // control thread, takes the lock
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  uint32 PLUGIN_API getLatencySamples() override;                          // control thread, no lock needed
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;  // audio thread, takes the lock

  // ---- IEditController: editor thread; only the calls that read or write a value take the lock ----
  int32 PLUGIN_API getParameterCount() override;
  tresult PLUGIN_API getParameterInfo(int32 paramIndex, Steinberg::Vst::ParameterInfo& info) override;
  tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                           Steinberg::Vst::ParamValue valueNormalized,
                                           Steinberg::Vst::String128 string) override;  // takes the lock
  tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                                           Steinberg::Vst::ParamValue& valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API
  normalizedParamToPlain(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API
  plainParamToNormalized(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue plainValue) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;  // takes it
  tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                        Steinberg::Vst::ParamValue value) override;  // takes the lock
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // ---- IUnitInfo: editor thread, lock not taken ----
  int32 PLUGIN_API getUnitCount() override;
  tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
  int32 PLUGIN_API getProgramListCount() override;
  tresult PLUGIN_API getProgramListInfo(int32 listIndex, Steinberg::Vst::ProgramListInfo& info) override;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    Steinberg::Vst::String128 name) override;
  tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    Steinberg::Vst::CString attributeId,
                                    Steinberg::Vst::String128 attributeValue) override;
  tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID listId, int32 programIndex) override;
  tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                         Steinberg::int16 midiPitch, Steinberg::Vst::String128 name) override;

  // ---- IEffectBase adapter hooks ----
  void BeginInformHostOfParamChange(int paramIdx) override;                     // editor thread, no lock
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;  // editor thread, lock held
  void EndInformHostOfParamChange(int paramIdx) override;                       // editor thread, no lock
  void InformHostOfProgramChange() override {}                                  // any thread
  bool IsRenderingOffline() override;                          // audio thread, lock not always held
  int GetSamplePos() override;                                 // audio thread, lock held
  double GetTempo() override;                                  // audio thread, lock held
  void GetTimeSig(int* numerator, int* denominator) override;  // audio thread, lock held
  void GetTime(ITimeInfo* timeInfo) override;                  // audio thread, lock held
  void ResizeGraphics(int w, int h) override;                  // editor thread, lock not held
  void SetLatency(int samples) override;                       // control thread, takes the lock
  void PopupHostContextMenuForParam(int paramIdx, int x, int y) override;  // editor thread, lock not held

  bool IsBypassed() const { return mBypass.load(std::memory_order_relaxed); }

  // ---- the views call these (editor thread, lock not taken) ----
  void AddView(IEffectVST3View* view);
  void RemoveView(IEffectVST3View* view);
  bool HasEditor() { return GetGUI() != nullptr; }

 protected:
  // ---- state (control thread, takes the lock): both carry the plug-in state and the bypass flag ----
  tresult ProcessorGetState(Steinberg::IBStream* state) override;
  tresult ProcessorSetState(Steinberg::IBStream* state) override;
  tresult ControllerGetState(Steinberg::IBStream* state) override;
  tresult ControllerSetState(Steinberg::IBStream* state) override;

 private:
  struct UnitRecord {
    Steinberg::Vst::UnitID mId;
    std::string mName;
  };

  void CreateBuses();
  void CreateParameters();
  Steinberg::Vst::UnitID UnitForGroup(const char* group);
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  int PresetIndex(Steinberg::Vst::ParamValue value) const;
  Steinberg::Vst::ParamValue PresetNormalized(int idx) const;
  tresult SelectPreset(Steinberg::Vst::ParamValue value);
  template <typename Sample>
  void ProcessAudio(Steinberg::Vst::ProcessData& data);
  tresult ReadState(Steinberg::IBStream* state, bool withBypass);
  tresult WriteState(Steinberg::IBStream* state, bool withBypass);

  std::atomic<bool> mBypass{false};
  std::atomic<bool> mOfflineMode{false};  // the host's process mode, read before the lock
  Steinberg::Vst::ProcessContext mProcessContext{};
  bool mSideChainActive = false;
  std::vector<UnitRecord> mUnits;
  std::vector<IEffectVST3View*> mViews;
  IEffectVST3View* mWindowView = nullptr;  // the one view whose host window holds the editor
  bool mResizeRequested = false;
  friend class IEffectVST3View;
};
