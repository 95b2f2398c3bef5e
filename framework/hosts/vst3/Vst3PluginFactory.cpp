#include "framework/hosts/vst3/Vst3PluginFactory.h"

#include <cstring>

#include "pluginterfaces/base/ustring.h"

using namespace Steinberg;

Vst3PluginFactory::Vst3PluginFactory(const PFactoryInfo& info) : mInfo(info) {}

Vst3PluginFactory::~Vst3PluginFactory() = default;

void Vst3PluginFactory::RegisterClass(const PClassInfo2& info, CreateFunction create) {
  mClasses.push_back({info, create});
}

tresult PLUGIN_API Vst3PluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (!info) return kInvalidArgument;
  *info = mInfo;
  return kResultOk;
}

int32 PLUGIN_API Vst3PluginFactory::countClasses() {
  return static_cast<int32>(mClasses.size());
}

tresult PLUGIN_API Vst3PluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  const PClassInfo2& c = mClasses[index].mInfo;
  *info = PClassInfo(c.cid, c.cardinality, c.category, c.name);
  return kResultOk;
}

tresult PLUGIN_API Vst3PluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  *info = mClasses[index].mInfo;
  return kResultOk;
}

tresult PLUGIN_API Vst3PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  info->fromAscii(mClasses[index].mInfo);
  return kResultOk;
}

tresult PLUGIN_API Vst3PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  for (const ClassEntry& entry : mClasses) {
    if (std::memcmp(entry.mInfo.cid, cid, sizeof(TUID)) != 0) continue;
    FUnknown* instance = entry.mCreate();
    if (!instance) return kOutOfMemory;
    const tresult result = instance->queryInterface(iid, obj);
    instance->release();
    if (result != kResultOk) *obj = nullptr;
    return result == kResultOk ? kResultOk : kNoInterface;
  }
  return kNoInterface;
}

tresult PLUGIN_API Vst3PluginFactory::setHostContext(FUnknown*) {
  return kResultOk;
}

tresult PLUGIN_API Vst3PluginFactory::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}
