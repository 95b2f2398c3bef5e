#pragma once
// The editor window on Linux: an Xlib child window inside the host's window, repainted from the
// off-screen draw bitmap. The host drives it: a 40 ms timer (OnTimer) and the X connection's file
// descriptor (ProcessEvents), both from the host's user-interface thread. Notices are small modal X
// windows, file dialogs run zenity, URLs open with xdg-open.

#include <memory>
#include <string>

#include "framework/graphics/IGraphics.h"
#include "raster/RasterRect.h"

class X11Image;
// Xlib's types, declared here so its macros stay out of every file that includes this header.
struct _XDisplay;
struct _XGC;
union _XEvent;

class IGraphicsLinux : public IGraphics {
 public:
  IGraphicsLinux(IEffectBase* plug, int w, int h, int refreshFPS = 0);
  ~IGraphicsLinux() override;

  // ---- IGraphics platform operations (editor thread) ----
  bool DrawScreen(IRECT* rect) override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  void PromptForFile(std::string* file, EFileAction action = kFileOpen, std::string* dir = nullptr,
                     const char* extensions = "") override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // parentWnd is the host's X window id. Returns the editor window (as a pointer-sized id), or null.
  void* OpenWindow(void* parentWnd) override;
  void CloseWindow() override;
  void* GetWindow() override;
  const char* GetGUIAPI() override { return "X11"; }
  void PluginPath(std::string* path) override;
  void DesktopPath(std::string* path) override;
  // An open window takes the new size at once and is painted again.
  void SetScale(double scale) override;
  // GDK_SCALE or Xft.dpi, unless the host set a scale.
  void FollowDesktopScale() override;

  // ---- driven by the host (editor thread) ----
  // The X connection's descriptor, -1 while the window is closed.
  int ConnectionFd() const;
  // Handles every pending X event.
  void ProcessEvents();
  // One redraw tick: pending events, then the dirty controls painted and copied to the window.
  void OnTimer();

  unsigned long GetXWindow() const { return mWindow; }
  _XDisplay* GetXDisplay() const { return mDisplay; }

  // A notice with one "OK" button and no editor behind it (the process-wide notice hook).
  static void ShowNotice(const char* text, const char* caption);

  // The key code a key symbol maps to (EKeyCode), or KEY_NONE.
  static int KeyCodeOf(unsigned long keysym);

 private:
  void HandleEvent(_XEvent& event);
  // x and y in window (device) pixels.
  void HandleButtonPress(unsigned int button, unsigned int state, unsigned long time, int x, int y);
  // Copies a rectangle of the draw bitmap, in device pixels, to the window.
  void CopyToWindow(const RasterRect& r);
  void ForwardKeyToHost(_XEvent& event);
  IMouseMod ModOf(unsigned int state, unsigned int button) const;

  _XDisplay* mDisplay = nullptr;
  unsigned long mWindow = 0;  // X window ids
  unsigned long mParent = 0;
  _XGC* mGC = nullptr;
  std::unique_ptr<X11Image> mImage;
  bool mWindowGone = false;  // the host destroyed it before closing the editor
  // Double-click detection: time and place of the last left press.
  unsigned long mLastClickTime = 0;
  int mLastClickX = -100;
  int mLastClickY = -100;
  bool mLastWasDoubleClick = false;
};
