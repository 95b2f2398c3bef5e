// Entry points of the VST2 plug-in module: the host calls one of them once per instance.

#include <algorithm>
#include <mutex>
#include <new>

#include "engine/IResonix.h"

namespace {

// Hosts may create instances from several threads at once; construction touches process-wide
// caches (bitmaps, fonts), so instances are made one at a time.
std::recursive_mutex& creation_mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

vst2::AEffect* create_instance(vst2::HostCallback hostCallback) {
  try {
    std::lock_guard<std::recursive_mutex> lock(creation_mutex());
    IInstanceInfo info;
    info.mHostCallback = hostCallback;
    auto* plug = new IResonix(info);
    plug->EnsureDefaultPreset();
    vst2::AEffect* effect = plug->GetAEffect();
    effect->numPrograms = std::max(plug->NPresets(), 1);
    return effect;
  } catch (...) {
    // Out of memory while constructing: the host is told there is no plug-in.
    return nullptr;
  }
}

}  // namespace

#define RESONIX_EXPORT extern "C" __attribute__((visibility("default")))

RESONIX_EXPORT vst2::AEffect* VSTPluginMain(vst2::HostCallback hostCallback) {
  return create_instance(hostCallback);
}

// Older hosts look for "main"; C++ reserves that name, so the symbol is given by its assembler name.
RESONIX_EXPORT vst2::AEffect* vst_plugin_main_alias(vst2::HostCallback hostCallback) __asm__("main");
RESONIX_EXPORT vst2::AEffect* vst_plugin_main_alias(vst2::HostCallback hostCallback) {
  return create_instance(hostCallback);
}
