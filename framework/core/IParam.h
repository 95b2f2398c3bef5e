#pragma once
// One automatable value of a plug-in instance: a plain value for the engine and a normalised
// value in [0, 1] for hosts, controls and state chunks.

#include <string>
#include <vector>

class IParam {
 public:
  enum EParamType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };
  // Text of a plain value and its inverse, for a value a host should not see as a bare number.
  struct Format {
    void (*toText)(double plainValue, char* out, int outSize) = nullptr;
    bool (*fromText)(const char* text, double* plainValue) = nullptr;
  };
  static constexpr int kNameSize = 32;     // name, label, group and display texts, with the NUL
  static constexpr int kDisplaySize = 128; // enough for any value text GetDisplayForHost writes

  IParam();

  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  void SetShape(double shape);
  void SetDisplayText(int value, const char* text);
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  void SetFormat(Format format) { mFormat = format; }

  // Plain value, always clamped into [min, max]; stepped kinds (bool, int, enum) hold whole steps.
  void Set(double value);
  double Value() const { return mValue; }
  // The value Set would store: clamped, and a whole step for the stepped kinds.
  double Snap(double plainValue) const;
  int Int() const { return int(mValue); }
  bool Bool() const { return mValue >= 0.5; }
  double DBToAmp() const;

  void SetNormalized(double normalized);
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double plainValue) const;
  double GetNonNormalized(double normalized) const;

  // Text for a value as the host shows it; out receives at most outSize bytes, NUL included.
  void GetDisplayForHost(double value, bool normalized, char* out, int outSize,
                         bool withDisplayText = true) const;
  std::string GetDisplayForHost(double value, bool normalized, bool withDisplayText = true) const;
  std::string GetDisplayForHost() const { return GetDisplayForHost(mValue, false); }

  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return int(mDisplayTexts.size()); }
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  bool MapDisplayText(const char* text, int* value) const;
  // Plain value a host text stands for: a display text, the format's reading, or a number (negated
  // with negate display). False when the text is none of them; plainValue is then untouched.
  bool ParseForHost(const char* text, double* plainValue) const;

  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  void GetBounds(double* minVal, double* maxVal) const;

  EParamType Type() const { return mType; }
  double Min() const { return mMin; }
  double Max() const { return mMax; }
  double Step() const { return mStep; }
  double Shape() const { return mShape; }
  double Default() const { return mDefault; }
  int DisplayPrecision() const { return mDisplayPrecision; }
  bool NegateDisplay() const { return mNegateDisplay; }
  bool CanAutomate() const { return mCanAutomate; }

 private:
  struct DisplayText {
    int mValue;
    char mText[kNameSize];
  };

  void InitCommon(EParamType type, const char* name, double defaultVal, const char* label, const char* group);

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kNameSize] = {};
  char mLabel[kNameSize] = {};
  char mParamGroup[kNameSize] = {};
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  std::vector<DisplayText> mDisplayTexts;
  Format mFormat;
};
