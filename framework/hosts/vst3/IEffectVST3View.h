#pragma once
// The editor view a VST3 host embeds: opens the plug-in's editor window inside the host's window and
// lets the host's run loop drive it (the redraw timer and the X connection's events). On Windows the
// window has its own timer and message handling, so the view only opens and closes it.

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

class IEffectVST3;
#if defined(_WIN32)
class IGraphicsWin;
using IGraphicsPlatform = IGraphicsWin;
#else
class IGraphicsLinux;
using IGraphicsPlatform = IGraphicsLinux;
#endif

class IEffectVST3View : public Steinberg::CPluginView,
                        public Steinberg::IPlugViewContentScaleSupport
#if !defined(_WIN32)
    ,
                        public Steinberg::Linux::ITimerHandler,
                        public Steinberg::Linux::IEventHandler
#endif
{
 public:
  explicit IEffectVST3View(IEffectVST3* plug);
  ~IEffectVST3View() override;

  // ---- IPlugView (editor thread: the host's UI thread; the instance lock is not held on entry) ----
  Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API removed() override;
  Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  // ---- IPlugViewContentScaleSupport (editor thread, lock not held on entry) ----
  // The editor draws at the host's scale from now on and asks the frame for the scaled size.
  Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

  // Keys the host forwards; those no control takes go back to it.
  Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                                          Steinberg::int16 modifiers) override;

#if !defined(_WIN32)
  // ---- the host's run loop (editor thread, lock not held on entry) ----
  void PLUGIN_API onTimer() override;
  void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) override;
#endif

  // The plug-in asked for a new editor size (editor thread).
  void RequestResize(int width, int height);

  OBJ_METHODS(IEffectVST3View, Steinberg::CPluginView)
  DEFINE_INTERFACES
  DEF_INTERFACE(Steinberg::IPlugViewContentScaleSupport)
#if !defined(_WIN32)
  DEF_INTERFACE(Steinberg::Linux::ITimerHandler)
  DEF_INTERFACE(Steinberg::Linux::IEventHandler)
#endif
  END_DEFINE_INTERFACES(Steinberg::CPluginView)
  REFCOUNT_METHODS(Steinberg::CPluginView)

 private:
  IGraphicsPlatform* Window();
  // The editor's size in the host's (device) pixels.
  Steinberg::ViewRect DeviceRect();

  IEffectVST3* mPlug;
#if !defined(_WIN32)
  void StopRunLoop();

  Steinberg::Linux::IRunLoop* mRunLoop = nullptr;
  bool mTimerRegistered = false;
  bool mHandlerRegistered = false;
#endif
};
