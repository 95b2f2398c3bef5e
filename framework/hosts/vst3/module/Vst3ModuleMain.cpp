// The module entry points of a VST3 plug-in and its one factory class, made from the plug-in's
// description; every instance comes from CreatePlugInstance.

#include "framework/hosts/PlugEntry.h"
#include "framework/hosts/vst3/Vst3PluginFactory.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

using namespace Steinberg;

namespace {
FUnknown* CreateInstance() {
  IPlugAdapter* plug = CreatePlugInstance(IInstanceInfo{});
  return plug ? static_cast<Vst::IAudioProcessor*>(plug) : nullptr;
}

Vst3PluginFactory& Factory() {
  static Vst3PluginFactory factory = [] {
    const PlugDescription& d = ThePlugDescription();
    const uint32_t* id = d.vst3ClassId;
    const TUID classId = INLINE_UID(id[0], id[1], id[2], id[3]);
    Vst3PluginFactory f(PFactoryInfo(d.vendor, d.vendorUrl, d.vendorEmail, PFactoryInfo::kUnicode));
    f.RegisterClass(
        PClassInfo2(classId, PClassInfo::kManyInstances, kVstAudioEffectClass, d.effectName,
                    Vst::kSimpleModeSupported, d.vst3Subcategories, d.vendor, d.versionText, "VST 3.6.10"),
        &CreateInstance);
    return f;
  }();
  return factory;
}
}  // namespace

extern "C" {

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory() {
  return &Factory();
}

#if defined(_WIN32)
SMTG_EXPORT_SYMBOL bool InitDll() {
  return true;
}

SMTG_EXPORT_SYMBOL bool ExitDll() {
  return true;
}
#else
SMTG_EXPORT_SYMBOL bool ModuleEntry(void*) {
  return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit() {
  return true;
}
#endif
}
