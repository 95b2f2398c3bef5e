// Entry points of an LV2 bundle's module: the plug-ins (mono and stereo) and their editor. Every
// instance comes from CreatePlugInstance; nothing escapes into the host.
//
// The editor reaches the instance through instance-access: the editor object lives in the instance,
// draws its curves and measurement and runs its commands there, as in the VST3 and VST2 builds; ports
// and messages would have to carry all of that across. Hosts that keep UIs in another process cannot
// show it (the UI requires the feature), and they still get the plug-in and its ports.

#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "framework/graphics/IGraphics.h"
#include "framework/hosts/PlugEntry.h"

namespace {

std::recursive_mutex& creation_mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

const void* find_feature(const LV2_Feature* const* features, const char* uri) {
  for (int i = 0; features && features[i]; ++i)
    if (features[i]->URI && std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
  return nullptr;
}

// The editor's bitmaps and fonts travel in the bundle's resources folder; RESONIX_RESOURCE_DIR
// overrides it.
void choose_resource_folder(const char* bundlePath) {
  static bool chosen = false;
  if (chosen || !bundlePath) return;
  chosen = true;
  if (const char* env = std::getenv("RESONIX_RESOURCE_DIR"); env && *env) return;
  const std::filesystem::path folder = std::filesystem::path(bundlePath) / "resources";
  std::error_code ec;
  if (std::filesystem::is_directory(folder / "img", ec)) IGraphics::SetDefaultResourceFolder(folder.string());
}

IEffectLV2* plug(LV2_Handle handle) {
  return static_cast<IEffectLV2*>(static_cast<IPlugAdapter*>(handle));
}

template <int Channels>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
  if (!std::isfinite(rate) || rate <= 0.0) return nullptr;
  try {
    std::lock_guard<std::recursive_mutex> lock(creation_mutex());
    choose_resource_folder(bundlePath);
    IPlugAdapter* instance = CreatePlugInstance(IInstanceInfo{Channels, features});
    if (!instance) return nullptr;
    instance->EnsureDefaultPreset();
    instance->Prepare(rate);
    return static_cast<LV2_Handle>(instance);
  } catch (...) {
    return nullptr;
  }
}

void connect_port(LV2_Handle handle, uint32_t port, void* data) {
  plug(handle)->ConnectPort(port, data);
}
void activate(LV2_Handle handle) {
  try {
    plug(handle)->Activate();
  } catch (...) {
  }
}
void run(LV2_Handle handle, uint32_t nFrames) {
  plug(handle)->Run(nFrames);
}
void deactivate(LV2_Handle handle) {
  try {
    plug(handle)->Deactivate();
  } catch (...) {
  }
}
void cleanup(LV2_Handle handle) {
  delete static_cast<IPlugAdapter*>(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
  try {
    return plug(handle)->SaveState(store, state);
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}
LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         uint32_t, const LV2_Feature* const*) {
  try {
    return plug(handle)->RestoreState(retrieve, state);
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

const void* extension_data(const char* uri) {
  static const LV2_State_Interface state{save, restore};
  return uri && std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

// ---- the editor ----

struct EditorHandle {
  IEffectLV2* plug;
};

LV2UI_Handle ui_instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                            LV2UI_Controller controller, LV2UI_Widget* widget,
                            const LV2_Feature* const* features) {
  auto* instance =
      static_cast<LV2_Handle>(const_cast<void*>(find_feature(features, LV2_INSTANCE_ACCESS_URI)));
  void* parent = const_cast<void*>(find_feature(features, LV2_UI__parent));
  if (!instance || !parent || !widget) return nullptr;
  try {
    IEffectLV2* p = plug(instance);
    const unsigned long window = p->OpenEditor(
        parent, write, controller, static_cast<const LV2UI_Touch*>(find_feature(features, LV2_UI__touch)),
        static_cast<const LV2UI_Resize*>(find_feature(features, LV2_UI__resize)));
    if (!window) return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(window);
    return new EditorHandle{p};
  } catch (...) {
    return nullptr;
  }
}

void ui_cleanup(LV2UI_Handle handle) {
  auto* editor = static_cast<EditorHandle*>(handle);
  try {
    editor->plug->CloseEditor();
  } catch (...) {
  }
  delete editor;
}

// The instance already hears the ports in run; the editor shows what the instance holds.
void ui_port_event(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int ui_idle(LV2UI_Handle handle) {
  try {
    return static_cast<EditorHandle*>(handle)->plug->EditorIdle();
  } catch (...) {
    return 1;
  }
}

const void* ui_extension_data(const char* uri) {
  static const LV2UI_Idle_Interface idle{ui_idle};
  return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

}  // namespace

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  static const std::string monoUri = Lv2PortLayout(1).Uri();
  static const std::string stereoUri = Lv2PortLayout(2).Uri();
  static const LV2_Descriptor descriptors[2] = {
      {monoUri.c_str(), instantiate<1>, connect_port, activate, run, deactivate, cleanup, extension_data},
      {stereoUri.c_str(), instantiate<2>, connect_port, activate, run, deactivate, cleanup, extension_data},
  };
  return index < 2 ? &descriptors[index] : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  static const std::string uri = Lv2PortLayout::UiUri();
  static const LV2UI_Descriptor descriptor{uri.c_str(), ui_instantiate, ui_cleanup, ui_port_event,
                                           ui_extension_data};
  return index == 0 ? &descriptor : nullptr;
}

}  // extern "C"
