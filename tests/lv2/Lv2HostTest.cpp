// The LV2 module as a host drives it, loaded from the built bundle: the state moves between the mono
// and the stereo plug-in unchanged, damaged state is refused without loss, and the editor opens inside
// the host's window through instance-access, asks for its size and idles.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "linux/TestDisplay.h"

namespace {

struct Module {
  Module() {
    handle = dlopen(RESONIX_LV2_BUNDLE "/KorvaneResonix.so", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    plugin = reinterpret_cast<LV2_Descriptor_Function>(dlsym(handle, "lv2_descriptor"));
    ui = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(handle, "lv2ui_descriptor"));
  }
  void* handle = nullptr;
  LV2_Descriptor_Function plugin = nullptr;
  LV2UI_DescriptorFunction ui = nullptr;
};

Module& module() {
  static Module m;  // stays loaded: the plug-in's threads and caches live with the process
  return m;
}

std::map<std::string, LV2_URID> g_urids;
LV2_URID map_uri(LV2_URID_Map_Handle, const char* uri) {
  auto [it, added] = g_urids.emplace(uri, LV2_URID(g_urids.size() + 1));
  return it->second;
}
LV2_URID_Map g_map{nullptr, map_uri};
LV2_Feature g_mapFeature{LV2_URID__map, &g_map};

// One instance with every port connected: audio buffers, the controls at their values.
struct Plugin {
  explicit Plugin(int channels) : desc(module().plugin(uint32_t(channels - 1))) {
    const LV2_Feature* features[] = {&g_mapFeature, nullptr};
    handle = desc->instantiate(desc, 48000.0, RESONIX_LV2_BUNDLE, features);
    const int ports = 2 * channels + 7;  // audio, 4 controls, enabled, free-wheeling, latency
    values.assign(size_t(ports), 0.0f);
    values[size_t(2 * channels + 1)] = -25.0f;  // vertical slider
    values[size_t(2 * channels + 4)] = 1.0f;    // enabled
    values[size_t(2 * channels + 5)] = 1.0f;    // free-wheeling: renders wait for the design
    audio.assign(size_t(2 * channels), std::vector<float>(256, 0.1f));
    for (int p = 0; p < ports; ++p)
      desc->connect_port(handle, uint32_t(p),
                         p < 2 * channels ? audio[size_t(p)].data() : &values[size_t(p)]);
    desc->activate(handle);
  }
  ~Plugin() {
    desc->deactivate(handle);
    desc->cleanup(handle);
  }
  const LV2_State_Interface* state() const {
    return static_cast<const LV2_State_Interface*>(desc->extension_data(LV2_STATE__interface));
  }
  std::vector<uint8_t> Save() {
    std::vector<uint8_t> bytes;
    auto store = [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
      auto* out = static_cast<std::vector<uint8_t>*>(h);
      out->assign(static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + size);
      return LV2_STATE_SUCCESS;
    };
    EXPECT_EQ(state()->save(handle, store, &bytes, 0, nullptr), LV2_STATE_SUCCESS);
    return bytes;
  }
  LV2_State_Status Restore(std::vector<uint8_t> bytes) {
    auto retrieve = [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type,
                       uint32_t* flags) -> const void* {
      auto* in = static_cast<std::vector<uint8_t>*>(h);
      *size = in->size();
      *type = g_map.map(nullptr, "http://lv2plug.in/ns/ext/atom#Chunk");
      *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
      return in->data();
    };
    return state()->restore(handle, retrieve, &bytes, 0, nullptr);
  }
  const LV2_Descriptor* desc;
  LV2_Handle handle = nullptr;
  std::vector<float> values;
  std::vector<std::vector<float>> audio;
};

}  // namespace

TEST(Lv2State, MovesBetweenMonoAndStereoAndRefusesDamage) {
  ASSERT_TRUE(module().plugin) << dlerror();
  std::vector<uint8_t> saved;
  {
    Plugin mono(1);
    ASSERT_TRUE(mono.handle);
    mono.values[3] = -31.5f;  // the slider the host automates is part of the state
    mono.desc->run(mono.handle, 256);
    EXPECT_EQ(mono.values[8], 0.0f);  // latency
    saved = mono.Save();
  }
  ASSERT_FALSE(saved.empty());
  Plugin stereo(2);
  ASSERT_TRUE(stereo.handle);
  const std::vector<uint8_t> fresh = stereo.Save();
  EXPECT_NE(fresh, saved);
  ASSERT_EQ(stereo.Restore(saved), LV2_STATE_SUCCESS);
  EXPECT_EQ(stereo.Save(), saved);
  // Cut short, or a curve that is not a number: refused, and the state stays.
  EXPECT_NE(stereo.Restore(std::vector<uint8_t>(saved.begin(), saved.begin() + 100)), LV2_STATE_SUCCESS);
  std::vector<uint8_t> damaged = saved;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(damaged.data() + 16, &nan, sizeof nan);
  EXPECT_NE(stereo.Restore(damaged), LV2_STATE_SUCCESS);
  EXPECT_EQ(stereo.Save(), saved);
}

TEST(Lv2Editor, OpensInsideTheHostWindowAsksForItsSizeAndIdles) {
  ASSERT_TRUE(module().ui) << dlerror();
  Display* display = std::getenv("DISPLAY") ? OpenTestDisplay() : nullptr;
  if (!display) GTEST_SKIP() << "no X display";
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 500, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);

  Plugin plug(1);
  ASSERT_TRUE(plug.handle);
  const LV2UI_Descriptor* ui = module().ui(0);
  ASSERT_TRUE(ui);
  struct Size {
    int w = 0, h = 0;
  } size;
  LV2UI_Resize resize{&size, [](LV2UI_Feature_Handle h, int w, int hh) {
                        static_cast<Size*>(h)->w = w;
                        static_cast<Size*>(h)->h = hh;
                        return 0;
                      }};
  LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
  LV2_Feature access{LV2_INSTANCE_ACCESS_URI, plug.handle};
  LV2_Feature resizeFeature{LV2_UI__resize, &resize};
  LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
  const LV2_Feature* features[] = {&parentFeature, &access,       &resizeFeature,
                                   &idleFeature,   &g_mapFeature, nullptr};
  LV2UI_Widget widget = nullptr;
  auto write = [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {};
  // Without the instance there is no editor.
  const LV2_Feature* noAccess[] = {&parentFeature, nullptr};
  EXPECT_EQ(ui->instantiate(ui, "", RESONIX_LV2_BUNDLE, write, nullptr, &widget, noAccess), nullptr);

  LV2UI_Handle editor = ui->instantiate(ui, "", RESONIX_LV2_BUNDLE, write, nullptr, &widget, features);
  ASSERT_TRUE(editor);
  EXPECT_TRUE(widget);
  EXPECT_GE(size.w, 730);
  EXPECT_GE(size.h, 431);
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, reinterpret_cast<Window>(widget), &root, &up, &children, &count);
  if (children) XFree(children);
  EXPECT_EQ(up, parent);
  const auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
  ASSERT_TRUE(idle);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(idle->idle(editor), 0);
  ui->cleanup(editor);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}
