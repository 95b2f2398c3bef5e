// The module entry points of the VST3 plug-in and its one factory class.

#include <new>

#include "engine/IResonix.h"
#include "engine/Notice.h"
#include "engine/ResonixVersion.h"
#if defined(_WIN32)
#include "framework/graphics/win/IGraphicsWin.h"
using IGraphicsPlatform = IGraphicsWin;
#else
#include "framework/graphics/linux/IGraphicsLinux.h"
using IGraphicsPlatform = IGraphicsLinux;
#endif
#include "framework/hosts/vst3/Vst3PluginFactory.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

using namespace Steinberg;

namespace {
// Fixed for every build: hosts find saved projects' instances by it.
const TUID kResonixClassId = INLINE_UID(0x4B6F7235, 0x2E9A4C1B, 0x8F3D5A60, 0x7C21B9E4);

FUnknown* CreateResonix() {
  // Notices of an instance without an editor appear as the editor's would.
  static const bool hooked = (set_notice_hook(&IGraphicsPlatform::ShowNotice), true);
  (void)hooked;
  try {
    auto* plug = new IResonix(IInstanceInfo{});
    return static_cast<Vst::IAudioProcessor*>(plug);
  } catch (...) {
    // Nothing may escape into the host.
    return nullptr;
  }
}

Vst3PluginFactory& Factory() {
  static Vst3PluginFactory factory = [] {
    Vst3PluginFactory f(
        PFactoryInfo("Korvane", "https://korvane.com", "support@korvane.com", PFactoryInfo::kUnicode));
    f.RegisterClass(PClassInfo2(kResonixClassId, PClassInfo::kManyInstances, kVstAudioEffectClass,
                                "Korvane Resonix", Vst::kSimpleModeSupported, Vst::PlugType::kFx, "Korvane",
                                kResonixVersionText, "VST 3.6.10"),
                    &CreateResonix);
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
