#pragma once
// The module description (moduleinfo.json) hosts of SDK 3.7.5 and later read instead of loading the
// module: written from the factory itself, so it says what the module answers.

#include <string>

#include "pluginterfaces/base/ipluginbase.h"

class ModuleInfoWriter {
 public:
  // name: the module's name; version: its four-part version ("1.1.9.0").
  static std::string Write(Steinberg::IPluginFactory* factory, const std::string& name,
                           const std::string& version);
};
