#pragma once
// A VST3 module loaded from disk the way a Linux host loads it: the bundle's shared object opened,
// ModuleEntry called, the factory taken from GetPluginFactory; ModuleExit and unloading at the end.

#include <memory>
#include <string>

#include "pluginterfaces/base/ipluginbase.h"

class Vst3Module {
 public:
  // path: a "Name.vst3" bundle folder or the shared object itself. Null on failure, with the
  // reason in error.
  // keepMapped leaves the code and data in memory after the last close, so leak checkers can still
  // name what the module allocated.
  static std::unique_ptr<Vst3Module> Load(const std::string& path, std::string* error, bool keepMapped = false);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  Steinberg::IPluginFactory* Factory() const { return mFactory; }
  const std::string& File() const { return mFile; }
  // The symbol of the module, or null (tests check what it exports).
  void* Symbol(const char* name) const;

  // Contents/<arch>-linux/<Name>.so of a bundle folder.
  static std::string ModuleFileOf(const std::string& bundle);

 private:
  Vst3Module() = default;

  void* mHandle = nullptr;
  std::string mFile;
  Steinberg::IPluginFactory* mFactory = nullptr;
  bool mEntered = false;
};
