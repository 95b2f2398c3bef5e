// The LV2 adapter's editor: the window inside the host's, driven by the host's idle calls, and the
// parameter moves it reports to the host through the UI's port writes.
#include <chrono>

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/linux/IGraphicsLinux.h"
#include "framework/hosts/lv2/IEffectLV2.h"

namespace {
long long now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

unsigned long IEffectLV2::OpenEditor(void* parent, LV2UI_Write_Function write, LV2UI_Controller controller,
                                     const LV2UI_Touch* touch, const LV2UI_Resize* resize) {
  auto* gui = dynamic_cast<IGraphicsLinux*>(GetGUI());
  if (!gui || !parent) return 0;
  if (mEditorOpen) CloseEditor();
  mUiWrite = write;
  mUiController = controller;
  mUiTouch = touch ? *touch : LV2UI_Touch{};
  mUiResize = resize ? *resize : LV2UI_Resize{};
  // LV2 hosts say nothing of the screen's density: the editor follows the desktop's.
  gui->FollowDesktopScale();
  mThreadCheck.EditorOpened();
  if (!gui->OpenWindow(parent)) {
    mUiWrite = nullptr;
    return 0;
  }
  mEditorOpen = true;
  if (mUiResize.ui_resize) mUiResize.ui_resize(mUiResize.handle, gui->DeviceWidth(), gui->DeviceHeight());
  OnGUIOpen();
  return gui->GetXWindow();
}

void IEffectLV2::CloseEditor() {
  if (!mEditorOpen) return;
  mThreadCheck.EditorClosing();
  OnGUIClose();
  if (IGraphics* gui = GetGUI()) gui->CloseWindow();
  mEditorOpen = false;
  mUiWrite = nullptr;
  mUiController = nullptr;
}

// Each idle call handles the window's events; at the editor's frame rate one also repaints.
int IEffectLV2::EditorIdle() {
  auto* gui = dynamic_cast<IGraphicsLinux*>(GetGUI());
  if (!mEditorOpen || !gui) return 1;
  const long long now = now_ms();
  const int fps = gui->FPS() > 0 ? gui->FPS() : IGraphics::kDefaultFPS;
  if (now - mLastRepaintMs >= 1000 / fps) {
    mLastRepaintMs = now;
    gui->OnTimer();
  } else {
    gui->ProcessEvents();
  }
  return 0;
}

void IEffectLV2::ResizeGraphics(int w, int h) {
  IGraphics* gui = GetGUI();
  if (!gui || !mEditorOpen) return;
  if (mUiResize.ui_resize) mUiResize.ui_resize(mUiResize.handle, gui->DeviceWidth(), gui->DeviceHeight());
  OnWindowResize();
}

void IEffectLV2::BeginInformHostOfParamChange(int paramIdx) {
  const int k = PortOfParam(paramIdx);
  if (k < 0) return;
  mEditingMask.fetch_or(1u << k, std::memory_order_acq_rel);
  if (mUiTouch.touch) mUiTouch.touch(mUiTouch.handle, uint32_t(mLayout.Control(k)), true);
}

// The host owns the control ports: the editor's move comes back as the port's value, which then
// equals the parameter and changes nothing (see ApplyControlPorts).
void IEffectLV2::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  const int k = PortOfParam(paramIdx);
  if (k < 0 || !mUiWrite) return;
  const float value = float(Lv2PortFromNormalized(ThePlugDescription().lv2Ports[k], normalizedValue));
  mUiWrite(mUiController, uint32_t(mLayout.Control(k)), sizeof(float), 0, &value);
}

void IEffectLV2::EndInformHostOfParamChange(int paramIdx) {
  const int k = PortOfParam(paramIdx);
  if (k < 0) return;
  mEditingMask.fetch_and(~(1u << k), std::memory_order_acq_rel);
  if (mUiTouch.touch) mUiTouch.touch(mUiTouch.handle, uint32_t(mLayout.Control(k)), false);
}
