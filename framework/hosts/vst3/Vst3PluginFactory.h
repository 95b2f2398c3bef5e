#pragma once
// The module's class factory: one object per process, created on the first GetPluginFactory call,
// answering the factory info and the classes registered with it.

#include <vector>

#include "pluginterfaces/base/ipluginbase.h"

class Vst3PluginFactory : public Steinberg::IPluginFactory3 {
 public:
  // Creates one instance of a class, with one reference owned by the caller.
  using CreateFunction = Steinberg::FUnknown* (*)();

  explicit Vst3PluginFactory(const Steinberg::PFactoryInfo& info);
  virtual ~Vst3PluginFactory();

  void RegisterClass(const Steinberg::PClassInfo2& info, CreateFunction create);

  // ---- IPluginFactory (host threads) ----
  Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
  Steinberg::int32 PLUGIN_API countClasses() override;
  Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                               void** obj) override;
  // ---- IPluginFactory2 / 3 ----
  Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) override;
  Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                    Steinberg::PClassInfoW* info) override;
  Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

  // ---- FUnknown: the factory lives as long as the process ----
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }

 private:
  struct ClassEntry {
    Steinberg::PClassInfo2 mInfo;
    CreateFunction mCreate;
  };

  Steinberg::PFactoryInfo mInfo;
  std::vector<ClassEntry> mClasses;
};
