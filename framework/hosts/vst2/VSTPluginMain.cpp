// Entry points of a VST2 plug-in module: the host calls one of them once per instance, and every
// instance comes from CreatePlugInstance.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "framework/core/ModulePath.h"
#include "framework/graphics/IGraphics.h"
#include "framework/hosts/PlugEntry.h"

namespace {

// Hosts may create instances from several threads at once; construction touches process-wide
// caches (bitmaps, fonts), so instances are made one at a time.
std::recursive_mutex& creation_mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

// The editor's bitmaps and fonts: the folder beside the module, else the resources of the VST3
// bundle installed with it, else the build's copy. RESONIX_RESOURCE_DIR overrides all of them.
void choose_resource_folder() {
  static bool chosen = false;
  if (chosen) return;
  chosen = true;
  if (const char* env = std::getenv("RESONIX_RESOURCE_DIR"); env && *env) return;
  const PlugDescription& description = ThePlugDescription();
  std::vector<std::filesystem::path> candidates;
  if (const std::string folder = ModuleFolder(); !folder.empty())
    candidates.push_back(std::filesystem::path(folder) / description.vst2ResourceFolder);
  if (const char* home = std::getenv("HOME"); home && *home)
    candidates.push_back(std::filesystem::path(home) / ".vst3" / description.vst3BundleName /
                         "Contents/Resources");
  for (const auto& folder : candidates) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder / "img", ec)) {
      IGraphics::SetDefaultResourceFolder(folder.string());
      return;
    }
  }
}

vst2::AEffect* create_instance(vst2::HostCallback hostCallback) {
  try {
    std::lock_guard<std::recursive_mutex> lock(creation_mutex());
    choose_resource_folder();
    IInstanceInfo info;
    info.mHostCallback = hostCallback;
    IPlugAdapter* plug = CreatePlugInstance(info);
    if (!plug) return nullptr;
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
