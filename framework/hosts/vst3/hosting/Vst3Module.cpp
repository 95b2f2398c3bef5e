#include "framework/hosts/vst3/hosting/Vst3Module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/utsname.h>
#endif
#include <filesystem>

namespace {
using ModuleEntryFunc = bool (*)(void*);
using ModuleExitFunc = bool (*)();
using GetFactoryFunc = Steinberg::IPluginFactory* (*)();

#if defined(_WIN32)
// A Windows host calls InitDll and ExitDll around the module's life.
constexpr const char* kEntryName = "InitDll";
constexpr const char* kExitName = "ExitDll";
constexpr const char* kArchFolder = "x86_64-win";
constexpr const char* kModuleSuffix = ".vst3";

void* OpenLibrary(const std::string& file, bool) {
  return LoadLibraryA(file.c_str());
}
void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}
std::string LastError() {
  return "error " + std::to_string(GetLastError());
}
bool CallEntry(void* entry, void*) {
  return reinterpret_cast<bool (*)()>(entry)();
}
#else
constexpr const char* kEntryName = "ModuleEntry";
constexpr const char* kExitName = "ModuleExit";
constexpr const char* kModuleSuffix = ".so";

void* OpenLibrary(const std::string& file, bool keepMapped) {
  return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | (keepMapped ? RTLD_NODELETE : 0));
}
void* FindSymbol(void* handle, const char* name) {
  return dlsym(handle, name);
}
void CloseLibrary(void* handle) {
  dlclose(handle);
}
std::string LastError() {
  const char* text = dlerror();
  return text ? text : "";
}
bool CallEntry(void* entry, void* handle) {
  return reinterpret_cast<ModuleEntryFunc>(entry)(handle);
}
#endif
}  // namespace

std::string Vst3Module::ModuleFileOf(const std::string& bundle) {
  std::filesystem::path root(bundle);
  if (root.filename().empty()) root = root.parent_path();
#if defined(_WIN32)
  const std::string arch = kArchFolder;
#else
  struct utsname machine = {};
  uname(&machine);
  const std::string arch = std::string(machine.machine) + "-linux";
#endif
  return (root / "Contents" / arch / root.stem()).string() + kModuleSuffix;
}

std::unique_ptr<Vst3Module> Vst3Module::Load(const std::string& path, std::string* error, bool keepMapped) {
  std::error_code ec;
  const std::string file = std::filesystem::is_directory(path, ec) ? ModuleFileOf(path) : path;
  std::unique_ptr<Vst3Module> module(new Vst3Module());
  module->mFile = file;
  module->mHandle = OpenLibrary(file, keepMapped);
  if (!module->mHandle) {
    if (error) *error = std::string("cannot load ") + file + ": " + LastError();
    return nullptr;
  }
  void* entry = FindSymbol(module->mHandle, kEntryName);
  auto getFactory = reinterpret_cast<GetFactoryFunc>(FindSymbol(module->mHandle, "GetPluginFactory"));
  if (!entry || !getFactory) {
    if (error) *error = file + " lacks " + kEntryName + " or GetPluginFactory";
    return nullptr;
  }
  if (!CallEntry(entry, module->mHandle)) {
    if (error) *error = file + ": " + kEntryName + " failed";
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
    if (auto exitFunc = reinterpret_cast<ModuleExitFunc>(FindSymbol(mHandle, kExitName))) exitFunc();
  if (mHandle) CloseLibrary(mHandle);
}

void* Vst3Module::Symbol(const char* name) const {
  return mHandle ? FindSymbol(mHandle, name) : nullptr;
}
