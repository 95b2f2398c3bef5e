#pragma once
// The base of every editor control: a rectangle, an optional parameter, a normalised value and the
// dirty flags the redraw cycle reads.
//
// Threads: everything runs on the editor thread except SetValueFromPlug, SetDirty(false) and
// SetAuxParamValueFromPlug, which hosts (under the instance lock) and the audio thread call to store
// a value; value, default, clamp range and the dirty and redraw flags are atomics for that reason.

#include <atomic>
#include <string>
#include <vector>

#include "framework/graphics/IGraphicsStructs.h"

class IEffectBase;
class IGraphics;
class IParam;

class IControl {
 public:
  struct AuxParam {
    double mValue = 0.0;
    int mParamIdx = -1;
  };

  IControl(IEffectBase* plug, IRECT rect, int paramIdx = -1,
           IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- virtual hooks, in slot order ----
  virtual ~IControl();
  // Right button: prompts for a value (when prompting is enabled); otherwise nothing.
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {}
  // Restores the recorded default value, if any, and pushes it to the plug-in.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d) {}
  // Returns whether the control took the key.
  virtual bool OnKeyDown(int x, int y, int key) { return false; }
  virtual void OnMouseOver(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  // Host, control or audio thread: stores the value; the first one is also the default.
  virtual void SetValueFromPlug(double value);
  // Editor thread: a user change; stores the value and pushes it to the plug-in.
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char* text) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  // Inside the target rectangle (left and top inclusive).
  virtual bool IsHit(int x, int y);
  // Clamps the value and marks the control dirty; with push, a control with a parameter sends its
  // value to the plug-in.
  virtual void SetDirty(bool pushParamToPlug = true);
  // Dirty becomes the redraw flag, which is cleared: a value changed since the last plug-in value is
  // drawn once more.
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty.load(std::memory_order_acquire); }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

  // ---- non-virtual ----
  IEffectBase* GetPlug() const { return mPlug; }
  int ParamIdx() const { return mParamIdx; }
  IParam* GetParam() const;
  const IRECT* GetRECT() const { return &mRECT; }
  const IRECT* GetTargetRECT() const { return &mTargetRECT; }
  void SetTargetArea(IRECT rect) { mTargetRECT = rect; }

  double GetValue() const { return mValue.load(std::memory_order_acquire); }
  double GetDefaultValue() const { return mDefaultValue.load(std::memory_order_acquire); }
  void SetDefaultValue(double value) { mDefaultValue.store(value, std::memory_order_release); }

  void Clamp(double lo, double hi);
  double GetClampLo() const { return mClampLo.load(std::memory_order_relaxed); }
  double GetClampHi() const { return mClampHi.load(std::memory_order_relaxed); }

  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedraw() const { return mRedraw.load(std::memory_order_acquire); }
  void SetRedraw() { mRedraw.store(true, std::memory_order_release); }

  const IChannelBlend* GetBlend() const { return &mBlend; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }

  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  // Asks the editor for a value when prompting is enabled and there is a parameter.
  void PromptUserInput();

  void SetDblAsSingleClick(bool dblAsSingle) { mDblAsSingleClick = dblAsSingle; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }

  // Text controls that show the parameter's value text and name.
  void SetValDisplayControl(IControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip ? tooltip : ""; }
  const char* GetTooltip() const { return mTooltip.c_str(); }

  // ---- auxiliary parameters ----
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int idx);
  int AuxParamIdx(int paramIdx) const;  // index into the list, -1 when absent
  int NAuxParams() const { return int(mAuxParams.size()); }
  void SetAllAuxParamsFromGUI();

 protected:
  // Text shown by a display control: the parameter's display text, a blank and the label.
  void UpdateValDisplay();

  int mTextEntryLength = 7;
  IText mText;
  IEffectBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  std::vector<AuxParam> mAuxParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<bool> mDirty{true};
  bool mHide = false;
  bool mGrayed = false;
  std::atomic<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mClamped = false;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;
  std::string mTooltip;
};
