#include "framework/hosts/vst3/IHostParameter.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

IHostParameter::IHostParameter(IParam* param, ParamID id, UnitID unitId) : mParam(param) {
  info.id = id;
  Widen(param->GetNameForHost(), info.title);
  Widen(param->GetNameForHost(), info.shortTitle);
  // A value shown by its display text carries no unit label.
  const char* defaultText = param->GetDisplayText(int(param->Default()));
  Widen(defaultText && defaultText[0] ? "" : param->GetLabelForHost(), info.units);
  precision = param->DisplayPrecision();
  info.stepCount = param->Type() == IParam::kTypeDouble ? 0 : int32(param->Max() - param->Min());
  info.defaultNormalizedValue = param->GetNormalized(param->Default());
  info.unitId = unitId;
  info.flags = param->CanAutomate() ? ParameterInfo::kCanAutomate : 0;
  valueNormalized = info.defaultNormalizedValue;
}

void IHostParameter::toString(ParamValue valueNormalized, String128 string) const {
  char text[IParam::kDisplaySize];
  mParam->GetDisplayForHost(valueNormalized, true, text, int(sizeof text), true);
  Widen(text, string);
}

bool IHostParameter::fromString(const TChar* string, ParamValue& normalized) const {
  double plain = 0.0;
  if (!string || !mParam->ParseForHost(Narrow(string).c_str(), &plain)) return false;
  normalized = mParam->GetNormalized(plain);
  return true;
}

ParamValue IHostParameter::toPlain(ParamValue valueNormalized) const {
  return mParam->Snap(mParam->GetNonNormalized(valueNormalized));
}

ParamValue IHostParameter::toNormalized(ParamValue plainValue) const {
  return mParam->GetNormalized(plainValue);
}

void IHostParameter::Widen(const char* text, String128 out) {
  int i = 0;
  for (; text && text[i] && i < 127; ++i) out[i] = static_cast<TChar>(static_cast<unsigned char>(text[i]));
  out[i] = 0;
}

std::string IHostParameter::Narrow(const TChar* text, int maxChars) {
  std::string out;
  for (int i = 0; text && text[i] && i < maxChars; ++i) out += text[i] < 128 ? char(text[i]) : '?';
  return out;
}
