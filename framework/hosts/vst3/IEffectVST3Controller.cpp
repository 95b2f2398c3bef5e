// The controller side of the VST3 adapter: parameters as the host sees them, the preset list,
// units and program lists, edits reported to the host, and the editor views.
#include "framework/hosts/vst3/IEffectVST3.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/graphics/IGraphics.h"
#include "framework/hosts/vst3/IEffectVST3View.h"
#include "framework/hosts/vst3/IHostParameter.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

// ---------------------------------------------------------------------------------------------
// Controller

UnitID IEffectVST3::UnitForGroup(const char* group) {
  if (!group || !group[0]) return kRootUnitId;
  for (const UnitRecord& unit : mUnits)
    if (unit.mName == group) return unit.mId;
  const UnitID id = static_cast<UnitID>(mUnits.size()) + 1;
  mUnits.push_back({id, group});
  return id;
}

void IEffectVST3::CreateParameters() {
  parameters.removeAll();
  mUnits.clear();
  // A list of the presets: one step per preset after the first, as the SDK's string lists count.
  if (NPresets() > 0)
    parameters.addParameter(STR16("Preset"), STR16(""), NPresets() - 1, 0.0,
                            ParameterInfo::kIsProgramChange | ParameterInfo::kIsList, kPresetParam,
                            kRootUnitId);
  if (!IsInst())
    parameters.addParameter(STR16("Bypass"), STR16(""), 1, 0.0,
                            ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
                            kBypassParam, kRootUnitId);
  for (int i = 0; i < NParams(); ++i) {
    IParam* param = GetParam(i);
    // The container takes over the reference.
    parameters.addParameter(
        new IHostParameter(param, static_cast<ParamID>(i), UnitForGroup(param->GetParamGroupForHost())));
  }
}

int32 PLUGIN_API IEffectVST3::getParameterCount() {
  return parameters.getParameterCount();
}

tresult PLUGIN_API IEffectVST3::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kInvalidArgument;
  Parameter* param = parameters.getParameterByIndex(paramIndex);
  if (!param) return kResultFalse;
  info = param->getInfo();
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                      String128 string) {
  if (!string) return kInvalidArgument;
  if (id == kBypassParam) {
    IHostParameter::Widen(valueNormalized > 0.5 ? "on" : "off", string);
    return kResultTrue;
  }
  if (id == kPresetParam) {
    IHostParameter::Widen(GetPresetName(PresetIndex(valueNormalized)), string);
    return kResultTrue;
  }
  Parameter* param = parameters.getParameter(id);
  if (!param) return kResultFalse;
  IEffectBase::Lock lock(GetMutex());
  param->toString(valueNormalized, string);
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::getParamValueByString(ParamID id, TChar* string,
                                                      ParamValue& valueNormalized) {
  if (!string) return kInvalidArgument;
  if (id == kBypassParam) {
    const std::string text = IHostParameter::Narrow(string);
    valueNormalized = text == "on" || std::atof(text.c_str()) > 0.5 ? 1.0 : 0.0;
    return kResultTrue;
  }
  Parameter* param = parameters.getParameter(id);
  if (!param) return kResultFalse;
  return param->fromString(string, valueNormalized) ? kResultTrue : kResultFalse;
}

ParamValue PLUGIN_API IEffectVST3::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  if (Parameter* param = parameters.getParameter(id)) return param->toPlain(valueNormalized);
  return valueNormalized;
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  if (id < static_cast<ParamID>(NParams())) return GetParam(static_cast<int>(id))->GetNormalized(plainValue);
  return plainValue;
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID id) {
  if (id == kBypassParam) return IsBypassed() ? 1.0 : 0.0;
  if (id == kPresetParam) return PresetNormalized(GetCurrentPresetIdx());
  if (id < static_cast<ParamID>(NParams())) {
    IEffectBase::Lock lock(GetMutex());
    return GetParam(static_cast<int>(id))->GetNormalized();
  }
  return 0.0;
}

tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID id, ParamValue value) {
  if (!std::isfinite(value)) return kResultFalse;
  value = std::clamp(value, 0.0, 1.0);
  // The processor reads the same flag: controller and processor agree at once.
  if (id == kBypassParam) {
    mBypass.store(value > 0.5);
    return kResultTrue;
  }
  if (id == kPresetParam) return SelectPreset(value);
  if (id >= static_cast<ParamID>(NParams())) return kResultFalse;
  // The audio thread reads the same value: the lock keeps the two from racing.
  IEffectBase::Lock lock(GetMutex());
  GetParam(static_cast<int>(id))->SetNormalized(std::clamp(value, 0.0, 1.0));
  return kResultTrue;
}

// The SDK's list mapping: n presets share [0, 1] in n equal parts.
int IEffectVST3::PresetIndex(ParamValue value) const {
  const int last = NPresets() - 1;
  if (last <= 0 || !std::isfinite(value)) return 0;
  return std::clamp(static_cast<int>(value * (last + 1)), 0, last);
}

ParamValue IEffectVST3::PresetNormalized(int idx) const {
  const int last = NPresets() - 1;
  return last > 0 ? static_cast<ParamValue>(std::clamp(idx, 0, last)) / last : 0.0;
}

// Host UI thread: the preset's values become current and the host reads them anew.
tresult IEffectVST3::SelectPreset(ParamValue value) {
  if (NPresets() <= 0) return kResultFalse;
  {
    IEffectBase::Lock lock(GetMutex());
    if (!RestorePreset(PresetIndex(value))) return kResultFalse;
  }
  if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kParamValuesChanged);
  return kResultTrue;
}

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString name) {
  if (!name || std::strcmp(name, ViewType::kEditor) != 0 || !HasEditor()) return nullptr;
  return new IEffectVST3View(this);
}

// ---------------------------------------------------------------------------------------------
// Units and the program list

int32 PLUGIN_API IEffectVST3::getUnitCount() {
  return static_cast<int32>(mUnits.size()) + 1;
}

tresult PLUGIN_API IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex < 0 || unitIndex > static_cast<int32>(mUnits.size())) return kInvalidArgument;
  info.programListId = kNoProgramListId;
  if (unitIndex == 0) {
    // The root unit owns the preset list its program-change parameter selects from.
    if (NPresets() > 0) info.programListId = static_cast<ProgramListID>(kPresetParam);
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    IHostParameter::Widen("Root Unit", info.name);
  } else {
    info.id = mUnits[unitIndex - 1].mId;
    info.parentUnitId = kRootUnitId;
    IHostParameter::Widen(mUnits[unitIndex - 1].mName.c_str(), info.name);
  }
  return kResultTrue;
}

int32 PLUGIN_API IEffectVST3::getProgramListCount() {
  return NPresets() > 0 ? 1 : 0;
}

tresult PLUGIN_API IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0 || NPresets() <= 0) return kInvalidArgument;
  info.id = kPresetParam;
  info.programCount = NPresets();
  IHostParameter::Widen("Factory Presets", info.name);
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  if (listId != static_cast<ProgramListID>(kPresetParam) || !name) return kResultFalse;
  IHostParameter::Widen(GetPresetName(programIndex), name);
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::getProgramInfo(ProgramListID, int32, Vst::CString, String128) {
  return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::hasProgramPitchNames(ProgramListID, int32) {
  return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::getProgramPitchName(ProgramListID, int32, int16, String128) {
  return kResultFalse;
}

// ---------------------------------------------------------------------------------------------
// Plug-in to host: edits, the editor's size and context menu, the views

void IEffectVST3::BeginInformHostOfParamChange(int paramIdx) {
  if (GetParam(paramIdx)) beginEdit(static_cast<ParamID>(paramIdx));
}

void IEffectVST3::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  if (GetParam(paramIdx)) performEdit(static_cast<ParamID>(paramIdx), normalizedValue);
}

void IEffectVST3::EndInformHostOfParamChange(int paramIdx) {
  if (GetParam(paramIdx)) endEdit(static_cast<ParamID>(paramIdx));
}

void IEffectVST3::ResizeGraphics(int w, int h) {
  if (!mWindowView) return;
  mResizeRequested = true;
  mWindowView->RequestResize(w, h);
}

void IEffectVST3::PopupHostContextMenuForParam(int paramIdx, int x, int y) {
  IComponentHandler* handler = getComponentHandler();
  if (!handler || !mWindowView || !GetParam(paramIdx)) return;
  FUnknownPtr<IComponentHandler3> handler3(handler);
  if (!handler3) return;
  ParamID id = static_cast<ParamID>(paramIdx);
  IContextMenu* menu = handler3->createContextMenu(mWindowView, &id);
  if (!menu) return;
  menu->popup(x, y);
  menu->release();
}

void IEffectVST3::AddView(IEffectVST3View* view) {
  mViews.push_back(view);
}

void IEffectVST3::RemoveView(IEffectVST3View* view) {
  mViews.erase(std::remove(mViews.begin(), mViews.end(), view), mViews.end());
  if (mWindowView == view) mWindowView = nullptr;
}
