#include "framework/hosts/vst3/hosting/Vst3Module.h"

#include <dlfcn.h>
#include <sys/utsname.h>
#include <filesystem>

namespace {
using ModuleEntryFunc = bool (*)(void*);
using ModuleExitFunc = bool (*)();
using GetFactoryFunc = Steinberg::IPluginFactory* (*)();
}  // namespace

std::string Vst3Module::ModuleFileOf(const std::string& bundle) {
  std::filesystem::path root(bundle);
  if (root.filename().empty()) root = root.parent_path();
  struct utsname machine = {};
  uname(&machine);
  return (root / "Contents" / (std::string(machine.machine) + "-linux") / root.stem()).string() + ".so";
}

std::unique_ptr<Vst3Module> Vst3Module::Load(const std::string& path, std::string* error, bool keepMapped) {
  std::error_code ec;
  const std::string file = std::filesystem::is_directory(path, ec) ? ModuleFileOf(path) : path;
  std::unique_ptr<Vst3Module> module(new Vst3Module());
  module->mFile = file;
  module->mHandle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | (keepMapped ? RTLD_NODELETE : 0));
  if (!module->mHandle) {
    if (error) *error = std::string("cannot load ") + file + ": " + dlerror();
    return nullptr;
  }
  auto entry = reinterpret_cast<ModuleEntryFunc>(dlsym(module->mHandle, "ModuleEntry"));
  auto getFactory = reinterpret_cast<GetFactoryFunc>(dlsym(module->mHandle, "GetPluginFactory"));
  if (!entry || !getFactory) {
    if (error) *error = file + " lacks ModuleEntry or GetPluginFactory";
    return nullptr;
  }
  if (!entry(module->mHandle)) {
    if (error) *error = file + ": ModuleEntry failed";
    return nullptr;
  }
  module->mEntered = true;
  module->mFactory = getFactory();
  if (!module->mFactory) {
    if (error) *error = file + ": GetPluginFactory returned no factory";
    return nullptr;
  }
  return module;
}

Vst3Module::~Vst3Module() {
  if (mFactory) mFactory->release();
  if (mEntered)
    if (auto exitFunc = reinterpret_cast<ModuleExitFunc>(dlsym(mHandle, "ModuleExit"))) exitFunc();
  if (mHandle) dlclose(mHandle);
}

void* Vst3Module::Symbol(const char* name) const {
  return mHandle ? dlsym(mHandle, name) : nullptr;
}
