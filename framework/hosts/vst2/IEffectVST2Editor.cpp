// The VST2 adapter's editor: the window the host parents, driven by its idle calls, and its size.
#include "framework/hosts/vst2/IEffectVST2.h"

#include <chrono>

#include "framework/graphics/IGraphics.h"
#if RESONIX_VST2_X11
#include "framework/graphics/linux/IGraphicsLinux.h"
#endif

using namespace vst2;

// ---------------------------------------------------------------------------------------------
// Editor

VstIntPtr IEffectVST2::OpenEditor(void* parent) {
  IGraphics* gui = GetGUI();
  if (!gui || !parent) return 0;
  if (mEditorOpen) CloseEditor();
  mThreadCheck.EditorOpened();
  if (!gui->OpenWindow(parent)) return 0;
  mEditorOpen = true;
  OnGUIOpen();
  return 1;
}

VstIntPtr IEffectVST2::CloseEditorForHost() {
  if (!mEditorOpen) return 0;
  CloseEditor();
  return 1;
}

void IEffectVST2::CloseEditor() {
  if (!mEditorOpen) return;
  mThreadCheck.EditorClosing();
  OnGUIClose();
  if (IGraphics* gui = GetGUI()) gui->CloseWindow();
  mEditorOpen = false;
}

// Linux hosts drive the editor through their idle calls: each one handles the window's events,
// and at the editor's frame rate one also repaints what changed.
VstIntPtr IEffectVST2::EditorIdle() {
  if (!mEditorOpen) return 0;
#if RESONIX_VST2_X11
  auto* gui = dynamic_cast<IGraphicsLinux*>(GetGUI());
  if (!gui) return 0;
  const auto now = std::chrono::steady_clock::now();
  const int fps = gui->FPS() > 0 ? gui->FPS() : IGraphics::kDefaultFPS;
  if (now - mLastRepaint >= std::chrono::milliseconds(1000 / fps)) {
    mLastRepaint = now;
    gui->OnTimer();
  } else {
    gui->ProcessEvents();
  }
#endif
  return 0;
}

VstIntPtr IEffectVST2::GetEditorRect(ERect** rect) {
  if (!rect || !GetGUI()) return 0;
  // VST2 hosts say nothing of the screen's density: the editor follows the desktop's.
  GetGUI()->FollowDesktopScale();
  mEditRect = {0, 0, VstInt16(GetGUI()->DeviceHeight()), VstInt16(GetGUI()->DeviceWidth())};
  *rect = &mEditRect;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Editor attachment

void IEffectVST2::AttachGraphics(IGraphics* graphics) {
  IEffectBase::AttachGraphics(graphics);
  if (!graphics) return;
  mAEffect.flags |= effFlagsHasEditor;
  mEditRect = {0, 0, VstInt16(graphics->Height()), VstInt16(graphics->Width())};
}

void IEffectVST2::ResizeGraphics(int w, int h) {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  mEditRect = {0, 0, VstInt16(gui->DeviceHeight()), VstInt16(gui->DeviceWidth())};
  OnWindowResize();
}
