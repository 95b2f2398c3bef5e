#include "framework/graphics/linux/IGraphicsLinux.h"

#include <cstdlib>
#include <filesystem>

#include "framework/core/IEffectBase.h"
#include "framework/core/ModulePath.h"
#include "framework/core/PlugDescription.h"
#include "framework/graphics/KeyTable.h"
#include "framework/graphics/linux/ChildProcess.h"
#include "framework/graphics/linux/DesktopScale.h"
#include "framework/graphics/linux/X11ErrorTrap.h"
#include "framework/graphics/linux/X11NoticeWindow.h"
#include "framework/graphics/linux/ZenityFileDialog.h"
// Xlib last: its macros (Bool, None, ...) would break the headers above.
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include "framework/graphics/linux/X11Image.h"

namespace {
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 4;
constexpr const char* kNoticeFont = "DejaVuSans.ttf";

// Resources of the bundle the module sits in (Contents/<arch>/Name.so -> Contents/Resources).
std::string BundleResourceFolder() {
  std::error_code ec;
  const std::filesystem::path module = ModuleFilePath();
  if (module.empty()) return {};
  const std::filesystem::path resources = module.parent_path().parent_path() / "Resources";
  if (module.parent_path().parent_path().filename() == "Contents" &&
      std::filesystem::is_directory(resources, ec))
    return resources.string();
  return {};
}
}  // namespace

IGraphicsLinux::IGraphicsLinux(IEffectBase* plug, int w, int h, int refreshFPS)
    : IGraphics(plug, w, h, refreshFPS) {
  // Inside a bundle the editor's images and fonts come from the bundle, unless the user points
  // RESONIX_RESOURCE_DIR elsewhere.
  const std::string bundle = BundleResourceFolder();
  if (!bundle.empty() && !std::getenv("RESONIX_RESOURCE_DIR")) SetResourceFolder(bundle);
}

IGraphicsLinux::~IGraphicsLinux() {
  CloseWindow();
}

void* IGraphicsLinux::OpenWindow(void* parentWnd) {
  const Window parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentWnd));
  if (!parent) return nullptr;
  CloseWindow();

  mDisplay = X11ErrorTrap::Open();
  if (!mDisplay) return nullptr;
  FollowDesktopScale();
  const int screen = DefaultScreen(mDisplay);
  XSetWindowAttributes attributes = {};
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | StructureNotifyMask | LeaveWindowMask;
  attributes.background_pixel = BlackPixel(mDisplay, screen);
  attributes.colormap = DefaultColormap(mDisplay, screen);
  mWindow = XCreateWindow(mDisplay, parent, 0, 0, unsigned(DeviceWidth()), unsigned(DeviceHeight()), 0,
                          DefaultDepth(mDisplay, screen), InputOutput, DefaultVisual(mDisplay, screen),
                          CWEventMask | CWBackPixel | CWColormap, &attributes);
  XSync(mDisplay, False);
  if (!mWindow || X11ErrorTrap::ErrorCount(mDisplay) > 0) {
    // The parent id was not a window of this display.
    mWindow = 0;
    X11ErrorTrap::Close(mDisplay);
    mDisplay = nullptr;
    return nullptr;
  }
  mParent = parent;
  mWindowGone = false;
  XStoreName(mDisplay, mWindow, ThePlugDescription().windowTitle);
  mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
  mImage = std::make_unique<X11Image>(mDisplay, DeviceWidth(), DeviceHeight());
  XMapWindow(mDisplay, mWindow);

  // Everything is drawn once so the first expose has a picture to copy.
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
  XFlush(mDisplay);
  return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow));
}

void IGraphicsLinux::CloseWindow() {
  if (!mDisplay) return;
  ReleaseMouseCapture();
  mImage.reset();
  if (mGC) XFreeGC(mDisplay, mGC);
  mGC = nullptr;
  if (mWindow && !mWindowGone) XDestroyWindow(mDisplay, mWindow);
  mWindow = 0;
  mParent = 0;
  X11ErrorTrap::Close(mDisplay);
  mDisplay = nullptr;
  ReleaseDrawBitmaps();
}

void* IGraphicsLinux::GetWindow() {
  return mWindow && !mWindowGone ? reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)) : nullptr;
}

int IGraphicsLinux::ConnectionFd() const {
  return mDisplay ? ConnectionNumber(mDisplay) : -1;
}

bool IGraphicsLinux::DrawScreen(IRECT* rect) {
  if (!rect || !mDisplay || !GetWindow() || !mImage || !GetDrawBitmap()) return false;
  const IRECT d = ToDevice(*rect);
  CopyToWindow(RasterRect{d.L, d.T, d.R, d.B});
  return true;
}

void IGraphicsLinux::CopyToWindow(const RasterRect& r) {
  if (!mDisplay || !GetWindow() || !mImage || !GetDrawBitmap()) return;
  mImage->Fill(*GetDrawBitmap(), r);
  mImage->Put(mWindow, mGC, r);
}

void IGraphicsLinux::SetScale(double scale) {
  const double before = GetScale();
  IGraphics::SetScale(scale);
  if (GetScale() == before || !mDisplay || !GetWindow()) return;
  XResizeWindow(mDisplay, mWindow, unsigned(DeviceWidth()), unsigned(DeviceHeight()));
  mImage = std::make_unique<X11Image>(mDisplay, DeviceWidth(), DeviceHeight());
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
  XFlush(mDisplay);
}

void IGraphicsLinux::FollowDesktopScale() {
  if (!ScaleFromHost()) SetScale(DesktopScale::Of(mDisplay));
}

void IGraphicsLinux::OnTimer() {
  if (!mDisplay) return;
  ProcessEvents();
  IRECT dirty;
  if (GetWindow()) OnGUIIdle();
  if (GetWindow() && IsDirty(&dirty)) Draw(&dirty);
  if (mDisplay) XFlush(mDisplay);
}

void IGraphicsLinux::ProcessEvents() {
  // A handler may close the window (a notice, a command): re-check the display every round.
  while (mDisplay && XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    HandleEvent(event);
  }
}

IMouseMod IGraphicsLinux::ModOf(unsigned int state, unsigned int button) const {
  IMouseMod mod;
  mod.L = button == Button1 || (state & Button1Mask);
  mod.R = button == Button3 || (state & Button3Mask);
  mod.S = (state & ShiftMask) != 0;
  mod.C = (state & ControlMask) != 0;
  mod.A = (state & Mod1Mask) != 0;
  return mod;
}

void IGraphicsLinux::HandleButtonPress(unsigned int button, unsigned int state, unsigned long time, int x,
                                       int y) {
  if (button == Button4 || button == Button5) {
    IMouseMod mod = ModOf(state, 0);
    OnMouseWheel(ToEditor(x), ToEditor(y), &mod, button == Button4 ? 1 : -1);
    return;
  }
  if (button != Button1 && button != Button2 && button != Button3) return;
  // A click gives the editor the keyboard, as in any window; X hands it back to the host's window
  // when ours goes.
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  IMouseMod mod = ModOf(state & ~(Button1Mask | Button3Mask), button);
  // Distances are judged on the screen; controls get editor pixels.
  const bool isDouble =
      button == Button1 && !mLastWasDoubleClick && time - mLastClickTime <= kDoubleClickMs &&
      std::abs(x - mLastClickX) <= kDoubleClickDistance && std::abs(y - mLastClickY) <= kDoubleClickDistance;
  if (button == Button1) {
    mLastClickTime = time;
    mLastClickX = x;
    mLastClickY = y;
    mLastWasDoubleClick = isDouble;
  }
  // X grabs the pointer for the window while a button is down: that is the mouse capture.
  if (isDouble)
    OnMouseDblClick(ToEditor(x), ToEditor(y), &mod);
  else
    OnMouseDown(ToEditor(x), ToEditor(y), &mod);
}

void IGraphicsLinux::HandleEvent(XEvent& event) {
  if (event.xany.window != mWindow) return;
  switch (event.type) {
    case Expose: {
      CopyToWindow(RasterRect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                              event.xexpose.y + event.xexpose.height});
      break;
    }
    case ButtonPress:
      HandleButtonPress(event.xbutton.button, event.xbutton.state, event.xbutton.time, event.xbutton.x,
                        event.xbutton.y);
      break;
    case ButtonRelease:
      if (event.xbutton.button == Button1 || event.xbutton.button == Button2 ||
          event.xbutton.button == Button3) {
        IMouseMod mod = ModOf(event.xbutton.state, event.xbutton.button);
        OnMouseUp(ToEditor(event.xbutton.x), ToEditor(event.xbutton.y), &mod);
      }
      break;
    case MotionNotify: {
      IMouseMod mod = ModOf(event.xmotion.state, 0);
      // Every point of a drag counts (a freehand stroke draws through each); hovering only needs the
      // latest position of a burst.
      if (event.xmotion.state & (Button1Mask | Button2Mask | Button3Mask)) {
        OnMouseDrag(ToEditor(event.xmotion.x), ToEditor(event.xmotion.y), &mod);
      } else if (CanHandleMouseOver()) {
        while (mDisplay && XCheckTypedWindowEvent(mDisplay, mWindow, MotionNotify, &event)) {
        }
        OnMouseOver(ToEditor(event.xmotion.x), ToEditor(event.xmotion.y), &mod);
      }
      break;
    }
    case LeaveNotify:
      if (!(event.xcrossing.state & (Button1Mask | Button2Mask | Button3Mask))) OnMouseOut();
      break;
    case KeyPress: {
      const int code = KeyCodeOf(XLookupKeysym(&event.xkey, 0));
      if (code == KEY_NONE || !OnKeyDown(ToEditor(event.xkey.x), ToEditor(event.xkey.y), code))
        ForwardKeyToHost(event);
      break;
    }
    case DestroyNotify:
      if (event.xdestroywindow.window == mWindow) mWindowGone = true;
      break;
    default:
      break;
  }
}

// Keys the editor does not use are the host's (transport, F1, shortcuts): they go on to its window
// as if ours had not selected them. Releases are not selected and reach it by themselves.
void IGraphicsLinux::ForwardKeyToHost(XEvent& event) {
  if (!mDisplay || !mParent) return;
  XEvent copy = event;
  copy.xkey.window = mParent;
  copy.xkey.subwindow = mWindow;
  XSendEvent(mDisplay, mParent, True, KeyPressMask, &copy);
  XFlush(mDisplay);
}

int IGraphicsLinux::KeyCodeOf(unsigned long keysym) {
  return KeyTable::OfSymbol({XK_Up, XK_Down, XK_Left, XK_Right}, keysym, true);
}

void IGraphicsLinux::ShowNotice(const char* text, const char* caption) {
  X11NoticeWindow::Show(text, caption, kMB_OK, 0, FontFile(BundleResourceFolder(), kNoticeFont));
}

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type) {
  ReleaseMouseCapture();
  const int answer = X11NoticeWindow::Show(text, caption, type, mWindow && !mWindowGone ? mWindow : 0,
                                           FontFile(GetResourceFolder(), kNoticeFont));
  // The notice covered the editor; whatever it hid is painted again at the next tick.
  SetAllControlsDirty();
  return answer;
}

void IGraphicsLinux::PromptForFile(std::string* file, EFileAction action, std::string* dir,
                                   const char* extensions) {
  if (!file) return;
  ZenityFileDialog::Request request;
  request.save = action == kFileSave;
  const std::string exts = extensions ? extensions : "";
  const PlugDescription& description = ThePlugDescription();
  const bool preset = exts.find(description.presetExtension) != std::string::npos;
  request.title = request.save ? (preset ? description.savePresetTitle : "Save File")
                               : (preset ? description.loadPresetTitle : "Open File");
  request.folder = dir && !dir->empty() ? *dir : std::string();
  if (request.folder.empty()) DesktopPath(&request.folder);
  request.file = std::filesystem::path(*file).filename().string();
  request.extensions = exts;

  file->clear();
  if (!GetWindow()) return;
  ReleaseMouseCapture();
  std::string chosen;
  switch (ZenityFileDialog::Run(request, &chosen)) {
    case ZenityFileDialog::Outcome::kChosen:
      *file = chosen;
      if (dir) *dir = std::filesystem::path(chosen).parent_path().string();
      break;
    case ZenityFileDialog::Outcome::kUnavailable:
      ShowMessageBox(ZenityFileDialog::UnavailableMessage(), "Error", kMB_OK);
      break;
    case ZenityFileDialog::Outcome::kCancelled:
      break;
  }
}

bool IGraphicsLinux::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                             const char* errMsgOnFailure) {
  if (!url || !url[0]) return false;
  if (confirmMsg && ShowMessageBox(confirmMsg, msgWindowTitle ? msgWindowTitle : "Info", kMB_YESNO) != kIDYES)
    return false;
  if (ChildProcess::Start({"xdg-open", url})) return true;
  ShowMessageBox(errMsgOnFailure ? errMsgOnFailure
                                 : "The page cannot be opened: the program \"xdg-open\" is not installed.",
                 "Error", kMB_OK);
  return false;
}

void IGraphicsLinux::PluginPath(std::string* path) {
  if (path) *path = ModuleFolder();
}

void IGraphicsLinux::DesktopPath(std::string* path) {
  if (!path) return;
  const char* home = std::getenv("HOME");
  const std::filesystem::path desktop = std::filesystem::path(home ? home : "") / "Desktop";
  std::error_code ec;
  *path = std::filesystem::is_directory(desktop, ec) ? desktop.string() : std::string(home ? home : "");
}
