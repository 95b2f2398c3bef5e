#pragma once
// One object that is both the audio processor and the edit controller of a VST3 effect: the bus
// lists and the component and processor calls that need no plug-in knowledge. The component state
// and the controller state stay apart (the two interfaces share the method names), so a derived
// class fills ProcessorGetState / ProcessorSetState and ControllerGetState / ControllerSetState.

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace vst3detail {
// The controller side: routes IEditController's state calls to their own names.
class ControllerStateRouter : public Steinberg::Vst::EditControllerEx1 {
 public:
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final {
    return ControllerGetState(state);
  }
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final {
    return ControllerSetState(state);
  }

 protected:
  virtual Steinberg::tresult ControllerGetState(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult ControllerSetState(Steinberg::IBStream* state) = 0;
};

// The component side: routes IComponent's state calls to their own names.
class ComponentStateRouter : public Steinberg::Vst::IComponent {
 public:
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final {
    return ProcessorGetState(state);
  }
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final {
    return ProcessorSetState(state);
  }

 protected:
  virtual Steinberg::tresult ProcessorGetState(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult ProcessorSetState(Steinberg::IBStream* state) = 0;
};
}  // namespace vst3detail

class SingleComponentEffect : public vst3detail::ControllerStateRouter,
                              public vst3detail::ComponentStateRouter,
                              public Steinberg::Vst::IAudioProcessor {
 public:
  using tresult = Steinberg::tresult;
  using int32 = Steinberg::int32;
  using uint32 = Steinberg::uint32;
  using MediaType = Steinberg::Vst::MediaType;
  using BusDirection = Steinberg::Vst::BusDirection;
  using SpeakerArrangement = Steinberg::Vst::SpeakerArrangement;

  SingleComponentEffect();
  ~SingleComponentEffect() override;

  // ---- IPluginBase (host control thread) ----
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // ---- IComponent (host control thread) ----
  // No separate controller class: hosts then ask this object for IEditController.
  tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override;
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                Steinberg::Vst::BusInfo& bus) override;
  tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                    Steinberg::Vst::RoutingInfo& outInfo) override;
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                 Steinberg::TBool state) override;
  tresult PLUGIN_API setActive(Steinberg::TBool state) override;

  // ---- IAudioProcessor ----
  // Host control thread: only the arrangements the buses already have are taken.
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                        int32 numOuts) override;
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) override;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override { return 0; }
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  tresult PLUGIN_API setProcessing(Steinberg::TBool state) override { return Steinberg::kResultOk; }
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override { return Steinberg::kResultOk; }
  uint32 PLUGIN_API getTailSamples() override { return Steinberg::Vst::kNoTail; }

  // ---- FUnknown: the interfaces of both halves ----
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return Steinberg::Vst::EditControllerEx1::addRef(); }
  uint32 PLUGIN_API release() override { return Steinberg::Vst::EditControllerEx1::release(); }

 protected:
  Steinberg::Vst::AudioBus* AddAudioInput(const Steinberg::Vst::TChar* name, SpeakerArrangement arr,
                                          Steinberg::Vst::BusType type, int32 flags);
  Steinberg::Vst::AudioBus* AddAudioOutput(const Steinberg::Vst::TChar* name, SpeakerArrangement arr,
                                           Steinberg::Vst::BusType type, int32 flags);
  Steinberg::Vst::EventBus* AddEventInput(const Steinberg::Vst::TChar* name, int32 channels);
  void RemoveAllBusses();
  Steinberg::Vst::BusList* GetBusList(MediaType type, BusDirection dir);

  Steinberg::Vst::ProcessSetup mProcessSetup;
  Steinberg::Vst::BusList mAudioInputs;
  Steinberg::Vst::BusList mAudioOutputs;
  Steinberg::Vst::BusList mEventInputs;
  Steinberg::Vst::BusList mEventOutputs;
};

// The channel count a speaker arrangement carries.
int SpeakerArrangementChannels(Steinberg::Vst::SpeakerArrangement arr);
