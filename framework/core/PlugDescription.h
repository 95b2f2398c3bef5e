#pragma once
// What the framework needs to know of the plug-in built on it: names and ids hosts see, the editor's
// size, the preset files, and the names of the folders and windows it makes. The plug-in defines
// ThePlugDescription(); the module entry points, adapters and platform windows only read it.

#include <cstdint>

// One LV2 control port: a host-automatable parameter in the units a host shows. Its plain value is
// minimum + normalised * (maximum - minimum); an enumeration takes each whole value between the two
// and names it with the parameter's display text for it.
struct PlugLv2Port {
  int paramIdx;
  const char* symbol;  // the port's LV2 symbol, stored in hosts' sessions: never changes
  double minimum;
  double maximum;
  const char* unit;  // an LV2 units: name ("db"), or null
  bool enumeration;
};

struct PlugDescription {
  // Names and ids hosts store in projects: they must never change between versions.
  const char* effectName;   // the class name hosts list, and the VST2 effect name
  const char* productName;  // the VST2 product string (may be empty)
  const char* vendor;
  const char* vendorUrl;
  const char* vendorEmail;
  const char* versionText;  // "1.2.3"
  int version;              // (major << 16) + (minor << 8) + patch
  // The VST3 class id as the four 32-bit words of the SDK's INLINE_UID, which lays the bytes out
  // per platform.
  uint32_t vst3ClassId[4];
  const char* vst3Subcategories;  // e.g. "Fx"
  int vst2UniqueId;               // four characters, as FourCC packs them
  int vst2VendorId;

  // The editor at one device pixel per editor pixel.
  int editorWidth;
  int editorHeight;

  // Preset files: their extension (without the point) and the titles of the dialogs that load and
  // save them.
  const char* presetExtension;
  const char* loadPresetTitle;
  const char* savePresetTitle;

  // Platform windows: the editor window's title, and its Win32 window class.
  const char* windowTitle;
  const char* windowClass;
  // Where the Windows editor writes its help pages: below the user's local application data folder,
  // backslash-separated ("Vendor\\Product").
  const char* helpFolder;
  // The help pages' file names, the start page first; page i is the plug-in file's "BIN" resource
  // 200 + i. They link to each other by these names.
  const char* const* helpPages;
  int helpPageCount;

  // Deliverables: the VST2 module's resource folder beside it, and the VST3 bundle's folder name.
  const char* vst2ResourceFolder;
  const char* vst3BundleName;

  // LV2: the bundle's folder name, the plug-ins' URI (the mono plug-in; the stereo one adds
  // "-stereo", the editor "#ui") and the control ports, in port order after the audio ports.
  const char* lv2BundleName;
  const char* lv2Uri;
  const PlugLv2Port* lv2Ports;
  int lv2PortCount;
};

// Defined by the plug-in.
const PlugDescription& ThePlugDescription();
