// Korvane Resonix as hosts, installers and the framework's windows know it. The ids and names hosts
// see are stored in users' projects: they never change.

#include <iterator>

#include "editor/EditorLayout.h"
#include "engine/ResonixVersion.h"
#include "framework/core/IEffectBase.h"
#include "framework/core/PlugDescription.h"

namespace {
// The manual's files in the order of their resources (resources/win/KorvaneResonix.rc).
constexpr const char* kHelpPages[] = {
    "1.htm",         "2.htm",         "3.htm",         "style.css",          "resonix-1.png",
    "resonix-2.jpg", "resonix-3.png", "resonix-4.png", "resonix-5.png",      "resonix-6.png",
    "resonix-7.png", "resonix-8.png", "resonix-9.png", "resonix-example.mp3"};

// What LV2 hosts automate: the four parameters a host may write (indices of EParams), in the units
// hosts show for them (ParamText's ranges); the note indicator is one of the 120 band notes.
constexpr PlugLv2Port kLv2Ports[] = {
    {0, "mode", 0.0, 1.0, nullptr, true},              // "Mode": EQ, Bypass
    {1, "vertical_slider", -45.0, 0.0, "db", false},   // "Vertical slider"
    {2, "bypass_volume", -20.0, 20.0, "db", false},    // "Bypass signal volume"
    {3, "note_indicator", 0.0, 119.0, nullptr, true},  // "Note indicator": E0 ... D#10
};
}  // namespace

const PlugDescription& ThePlugDescription() {
  static constexpr PlugDescription kDescription{
      .effectName = "Korvane Resonix",
      .productName = "",
      .vendor = "Korvane",
      .vendorUrl = "https://korvane.com",
      .vendorEmail = "support@korvane.com",
      .versionText = kResonixVersionText,
      .version = kResonixVersion,
      .vst3ClassId = {0x4B6F7235, 0x2E9A4C1B, 0x8F3D5A60, 0x7C21B9E4},
      .vst3Subcategories = "Fx",
      .vst2UniqueId = FourCC("Kor5"),
      .vst2VendorId = FourCC("Korv"),
      .editorWidth = layout::kWindowWidth,
      .editorHeight = layout::kWindowHeight,
      .presetExtension = "rzn",
      .loadPresetTitle = "Load Preset",
      .savePresetTitle = "Save Preset",
      .windowTitle = "Resonix",
      .windowClass = "ResonixWndClass",
      .helpFolder = "Korvane\\Resonix VST",
      .helpPages = kHelpPages,
      .helpPageCount = int(std::size(kHelpPages)),
      .vst2ResourceFolder = "KorvaneResonix.resources",
      .vst3BundleName = "KorvaneResonix.vst3",
      .lv2BundleName = "KorvaneResonix.lv2",
      .lv2Uri = "https://korvane.com/plugins/resonix",
      .lv2Ports = kLv2Ports,
      .lv2PortCount = int(std::size(kLv2Ports)),
  };
  return kDescription;
}
