#include "framework/core/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void copy_text(char* dest, const char* src, int size) {
  std::snprintf(dest, size_t(size), "%s", src ? src : "");
}

bool is_whole(double v) { return v == std::floor(v); }

// Truncation toward zero that stays defined for any double (NaN reads as 0).
long long truncate_whole(double v) {
  if (!(v == v)) return 0;
  return (long long)std::trunc(std::clamp(v, -9.0e18, 9.0e18));
}

int truncate_int(double v) { return int(std::clamp<long long>(truncate_whole(v), INT32_MIN, INT32_MAX)); }

// Decimals needed to show a step: 0.0001 -> 4, 0.25 -> 2, 1.0 -> 0, none within 5 -> 6.
int precision_of_step(double step) {
  if (is_whole(step)) return 0;
  double scaled = step;
  for (int k = 1; k <= 5; ++k) {
    scaled *= 10.0;
    if (is_whole(scaled)) return k;
  }
  return 6;
}

}  // namespace

IParam::IParam() { mDisplayTexts.reserve(4096 / sizeof(DisplayText)); }

void IParam::InitCommon(EParamType type, const char* name, double defaultVal, const char* label,
                        const char* group) {
  if (mType == kTypeNone) mType = type;
  copy_text(mName, name, kNameSize);
  copy_text(mLabel, label, kNameSize);
  copy_text(mParamGroup, group, kNameSize);
  mValue = defaultVal;
  mDefault = defaultVal;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group) {
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, label, group);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group) {
  mMin = 0.0;
  mMax = std::max(1.0, double(nEnums) - 1.0);
  mStep = 1.0;
  mShape = 1.0;
  InitCommon(kTypeEnum, name, defaultVal, label, group);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group) {
  mMin = minVal;
  mMax = std::max(double(minVal) + 1.0, double(maxVal));
  mStep = 1.0;
  mShape = 1.0;
  InitCommon(kTypeInt, name, defaultVal, label, group);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape) {
  mMin = minVal;
  mMax = std::max(minVal + step, maxVal);
  mStep = step;
  if (shape != 0.0) mShape = shape;
  InitCommon(kTypeDouble, name, defaultVal, label, group);
  mDisplayPrecision = precision_of_step(step);
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text) {
  DisplayText entry{};
  entry.mValue = value;
  copy_text(entry.mText, text, kNameSize);
  mDisplayTexts.push_back(entry);
}

void IParam::Set(double value) {
  if (!std::isnan(value)) mValue = Snap(value);
}

// A stepped value between steps would read as one step and act as another.
double IParam::Snap(double plainValue) const {
  const double v = std::clamp(plainValue, mMin, mMax);
  if (mType == kTypeDouble || mType == kTypeNone) return v;
  return std::min(mMin + std::floor((v - mMin) / mStep + 0.5) * mStep, mMax);
}

double IParam::DBToAmp() const { return std::exp(mValue * 0.1151292546497); }

double IParam::GetNonNormalized(double normalized) const {
  return mMin + (mMax - mMin) * std::pow(normalized, mShape);
}

// Hosts occasionally send values just outside [0, 1] or NaN; neither may move the value out of range.
void IParam::SetNormalized(double normalized) {
  if (std::isnan(normalized)) return;
  normalized = std::clamp(normalized, 0.0, 1.0);
  mValue = Snap(GetNonNormalized(normalized));
}

double IParam::GetNormalized(double plainValue) const {
  if (!(mMax > mMin)) return 0.0;
  const double v = std::clamp(plainValue, mMin, mMax);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, int outSize,
                               bool withDisplayText) const {
  if (!out || outSize <= 0) return;
  if (normalized) value = Snap(GetNonNormalized(value));
  if (withDisplayText) {
    const char* text = GetDisplayText(truncate_int(value));
    if (text[0]) {
      copy_text(out, text, outSize);
      return;
    }
  }
  if (mFormat.toText) {
    mFormat.toText(value, out, outSize);
    return;
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0) {
    std::snprintf(out, size_t(outSize), "%lld", truncate_whole(value));
  } else {
    std::snprintf(out, size_t(outSize), "%.*f", mDisplayPrecision, value);
  }
}

std::string IParam::GetDisplayForHost(double value, bool normalized, bool withDisplayText) const {
  char text[kDisplaySize];
  GetDisplayForHost(value, normalized, text, kDisplaySize, withDisplayText);
  return text;
}

const char* IParam::GetDisplayText(int value) const {
  for (const DisplayText& entry : mDisplayTexts)
    if (entry.mValue == value) return entry.mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
  if (idx < 0 || idx >= GetNDisplayTexts()) return "";
  if (value) *value = mDisplayTexts[size_t(idx)].mValue;
  return mDisplayTexts[size_t(idx)].mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  if (!text) return false;
  for (const DisplayText& entry : mDisplayTexts) {
    if (std::strcmp(entry.mText, text) == 0) {
      if (value) *value = entry.mValue;
      return true;
    }
  }
  return false;
}

bool IParam::ParseForHost(const char* text, double* plainValue) const {
  if (!text || !plainValue) return false;
  int mapped = 0;
  if (MapDisplayText(text, &mapped)) {
    *plainValue = mapped;
    return true;
  }
  if (mFormat.fromText) return mFormat.fromText(text, plainValue);
  char* end = nullptr;
  const double number = std::strtod(text, &end);
  if (end == text || !std::isfinite(number)) return false;
  *plainValue = mNegateDisplay ? -number : number;
  return true;
}

const char* IParam::GetLabelForHost() const {
  if (GetDisplayText(truncate_int(mValue))[0]) return "";
  return mLabel;
}

void IParam::GetBounds(double* minVal, double* maxVal) const {
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}
