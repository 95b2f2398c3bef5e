#pragma once
// A plug-in parameter as the VST3 controller exports it: a view onto the instance's IParam (never a
// copy), so the host always reads the value the engine uses.

#include "framework/core/IParam.h"
#include "public.sdk/source/vst/vstparameters.h"

class IHostParameter : public Steinberg::Vst::Parameter {
 public:
  IHostParameter(IParam* param, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unitId);

  // Text of a normalised value: display text if one exists, else the number at its precision.
  void toString(Steinberg::Vst::ParamValue valueNormalized, Steinberg::Vst::String128 string) const override;
  // A number typed by the user, clamped into the range and normalised.
  bool fromString(const Steinberg::Vst::TChar* string,
                  Steinberg::Vst::ParamValue& valueNormalized) const override;
  Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const override;
  Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const override;

  IParam* GetIParam() const { return mParam; }

  // UTF-16 <-> ASCII helpers shared by the adapter's text conversions.
  static void Widen(const char* text, Steinberg::Vst::String128 out);
  static std::string Narrow(const Steinberg::Vst::TChar* text, int maxChars = 128);

 private:
  IParam* mParam;
};
