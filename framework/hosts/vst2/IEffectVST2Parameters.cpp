// The VST2 adapter's parameters as the host reads and writes them beyond get/set: names, labels,
// display texts, automation flags, text entry and the vendor's parameter queries.
#include <algorithm>
#include <cmath>

#include "framework/graphics/IGraphics.h"
#include "framework/hosts/vst2/IEffectVST2.h"
#include "framework/hosts/vst2/Vst2Text.h"

using namespace vst2;

namespace {

constexpr VstIntPtr kVendorAnswer = 0xbeef;
constexpr VstInt32 kVendorParamDisplay = 7;
constexpr VstInt32 kVendorParamIntStep = 8;

}  // namespace

VstIntPtr IEffectVST2::GetParamText(VstInt32 opcode, int idx, void* dest) {
  if (!dest) return 0;
  const IParam* param = GetParam(idx);
  if (!param) {
    CopyText(dest, "", kParamLabelLen);
    return 0;
  }
  if (opcode == effGetParamLabel)
    CopyText(dest, param->GetLabelForHost(), kParamLabelLen);
  else if (opcode == effGetParamName)
    CopyText(dest, param->GetNameForHost(), kParamTextLen);
  else
    param->GetDisplayForHost(param->Value(), false, static_cast<char*>(dest), kParamTextLen, true);
  return 0;
}

VstIntPtr IEffectVST2::CanBeAutomated(int idx) {
  const IParam* param = GetParam(idx);
  return param && param->CanAutomate() ? 1 : 0;
}

// The text is the parameter's own: a display text, its format ("-10.0 dB", "A4") or a number.
VstIntPtr IEffectVST2::StringToParameter(int idx, const char* text) {
  IParam* param = GetParam(idx);
  double v = 0.0;
  if (!param || !param->ParseForHost(text, &v) || !std::isfinite(v)) return 0;
  v = std::clamp(v, param->Min(), param->Max());
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(idx, v, false);
  param->Set(v);
  OnParamChange(idx);
  return 1;
}

VstIntPtr IEffectVST2::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const IParam* param = value >= 0 && value < NParams() ? GetParam(int(value)) : nullptr;
  if (index == kVendorParamDisplay) {
    // A value that is no number has no text (and would not survive the integer formatting).
    if (!param || !ptr || !std::isfinite(opt)) return 0;
    param->GetDisplayForHost(opt, true, static_cast<char*>(ptr), kParamTextLen, true);
    return kVendorAnswer;
  }
  if (index == kVendorParamIntStep) return param && param->Type() != IParam::kTypeDouble ? kVendorAnswer : 0;
  return 0;
}
