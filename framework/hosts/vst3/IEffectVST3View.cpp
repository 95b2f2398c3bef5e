#include "framework/hosts/vst3/IEffectVST3View.h"

#include <cmath>
#include <cstring>

#if defined(_WIN32)
#include "framework/graphics/win/IGraphicsWin.h"
#else
#include "framework/graphics/linux/IGraphicsLinux.h"
#endif
#include "framework/core/PlugDescription.h"
#include "framework/hosts/vst3/IEffectVST3.h"

using namespace Steinberg;

IEffectVST3View::IEffectVST3View(IEffectVST3* plug) : mPlug(plug) {
  // The view may outlive the host's last reference to the instance.
  mPlug->addRef();
  mPlug->AddView(this);
  // Until the host says otherwise, the editor follows the desktop's scale.
  if (IGraphicsPlatform* window = Window()) window->FollowDesktopScale();
  setRect(DeviceRect());
}

IEffectVST3View::~IEffectVST3View() {
  if (isAttached()) removed();
  mPlug->RemoveView(this);
  mPlug->release();
}

IGraphicsPlatform* IEffectVST3View::Window() {
  return dynamic_cast<IGraphicsPlatform*>(mPlug->GetGUI());
}

ViewRect IEffectVST3View::DeviceRect() {
  IGraphicsPlatform* window = Window();
  return ViewRect(0, 0, window ? window->DeviceWidth() : ThePlugDescription().editorWidth,
                  window ? window->DeviceHeight() : ThePlugDescription().editorHeight);
}

tresult PLUGIN_API IEffectVST3View::isPlatformTypeSupported(FIDString type) {
  if (!type || !Window()) return kResultFalse;
#if defined(_WIN32)
  return std::strcmp(type, kPlatformTypeHWND) == 0 ? kResultTrue : kResultFalse;
#else
  return std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
#endif
}

tresult PLUGIN_API IEffectVST3View::attached(void* parent, FIDString type) {
  if (isAttached() || !parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
  // One editor window per instance: a second view stays empty while another one shows it.
  if (mPlug->mWindowView && mPlug->mWindowView != this) return kResultFalse;
  IGraphicsPlatform* window = Window();
  mPlug->Threads().EditorOpened();
#if defined(_WIN32)
  if (!window->OpenWindow(parent)) return kResultFalse;
#else
  // Without the host's run loop nothing would ever repaint or answer the mouse.
  FUnknownPtr<Linux::IRunLoop> runLoop(plugFrame);
  if (!runLoop) return kResultFalse;
  if (!window->OpenWindow(parent)) return kResultFalse;

  mRunLoop = runLoop;
  mRunLoop->addRef();
  const int periodMs = 1000 / (window->FPS() > 0 ? window->FPS() : 25);
  mTimerRegistered =
      mRunLoop->registerTimer(this, static_cast<Linux::TimerInterval>(periodMs)) == kResultTrue;
  const int fd = window->ConnectionFd();
  mHandlerRegistered = fd >= 0 && mRunLoop->registerEventHandler(this, fd) == kResultTrue;
#endif

  mPlug->mWindowView = this;
  CPluginView::attached(parent, type);
  mPlug->OnGUIOpen();
  return kResultTrue;
}

#if !defined(_WIN32)
void IEffectVST3View::StopRunLoop() {
  if (!mRunLoop) return;
  if (mTimerRegistered) mRunLoop->unregisterTimer(this);
  if (mHandlerRegistered) mRunLoop->unregisterEventHandler(this);
  mTimerRegistered = mHandlerRegistered = false;
  mRunLoop->release();
  mRunLoop = nullptr;
}
#endif

tresult PLUGIN_API IEffectVST3View::removed() {
  if (!isAttached()) return kResultFalse;
  mPlug->Threads().EditorClosing();
  mPlug->OnGUIClose();
#if !defined(_WIN32)
  StopRunLoop();
#endif
  if (IGraphicsPlatform* window = Window()) window->CloseWindow();
  mPlug->mWindowView = nullptr;
  CPluginView::removed();
  plugFrame = nullptr;
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3View::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = DeviceRect();
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3View::onSize(ViewRect* newSize) {
  if (!newSize) return kInvalidArgument;
  setRect(*newSize);
  if (mPlug->mResizeRequested) {
    mPlug->mResizeRequested = false;
    mPlug->OnWindowResize();
  }
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3View::onKeyDown(char16 key, int16 keyCode, int16) {
  IGraphicsPlatform* window = Window();
  return isAttached() && window && window->OnHostKey(key, keyCode) ? kResultTrue : kResultFalse;
}

#if !defined(_WIN32)
void PLUGIN_API IEffectVST3View::onTimer() {
  if (IGraphicsPlatform* window = Window()) window->OnTimer();
}

void PLUGIN_API IEffectVST3View::onFDIsSet(Linux::FileDescriptor) {
  if (IGraphicsPlatform* window = Window()) window->ProcessEvents();
}
#endif

tresult PLUGIN_API IEffectVST3View::setContentScaleFactor(ScaleFactor factor) {
  IGraphicsPlatform* window = Window();
  if (!window) return kResultFalse;
  if (!std::isfinite(factor) || factor <= 0.0f) return kInvalidArgument;
  window->SetScaleFromHost(double(factor));
  ViewRect r = DeviceRect();
  if (isAttached() && plugFrame)
    plugFrame->resizeView(this, &r);
  else
    setRect(r);
  return kResultTrue;
}

void IEffectVST3View::RequestResize(int width, int height) {
  if (!plugFrame) return;
  ViewRect r(0, 0, width, height);
  plugFrame->resizeView(this, &r);
}
