// The editor view in a real X window (the test set-up starts Xvfb): attached and removed many times
// through the host's run loop, painted, reached by the mouse, and safe when the host destroys its
// window first. Without an X server the window tests are skipped.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "vst3/Vst3TestHost.h"
// Xlib last: its macros would clash with the SDK headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "linux/TestDisplay.h"

using namespace vst3test;
using namespace std::chrono_literals;

namespace {
// A top-level window standing in for the host's editor frame, on its own connection.
class HostWindow {
 public:
  HostWindow() {
    mDisplay = OpenTestDisplay();
    if (!mDisplay) return;
    const int screen = DefaultScreen(mDisplay);
    mWindow = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, 730, 431, 0,
                                  BlackPixel(mDisplay, screen), BlackPixel(mDisplay, screen));
    XMapWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
  }
  ~HostWindow() {
    if (!mDisplay) return;
    if (mWindow) XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }
  bool Valid() const { return mDisplay != nullptr; }
  void* Id() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)); }
  Display* Dpy() const { return mDisplay; }
  void Destroy() {
    XDestroyWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
    mWindow = 0;
  }

  std::vector<Window> Children() const {
    XSync(mDisplay, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    std::vector<Window> out;
    if (XQueryTree(mDisplay, mWindow, &root, &parent, &children, &n) && children) {
      out.assign(children, children + n);
      XFree(children);
    }
    return out;
  }

  void Send(Window target, int type, unsigned int button, unsigned int state, int x, int y) {
    XEvent e = {};
    e.type = type;
    if (type == MotionNotify) {
      e.xmotion.window = target;
      e.xmotion.x = x;
      e.xmotion.y = y;
      e.xmotion.state = state;
      e.xmotion.same_screen = True;
      XSendEvent(mDisplay, target, False, PointerMotionMask, &e);
    } else {
      e.xbutton.window = target;
      e.xbutton.button = button;
      e.xbutton.x = x;
      e.xbutton.y = y;
      e.xbutton.state = state;
      e.xbutton.time = ++mTime * 1000;  // far apart: never a double-click
      e.xbutton.same_screen = True;
      XSendEvent(mDisplay, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XFlush(mDisplay);
  }

 private:
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  unsigned long mTime = 1;
};

size_t OpenDescriptors() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

#define SKIP_WITHOUT_DISPLAY() \
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY unset)"

IPlugView* CreateEditor(TestPlugin& plug) {
  return plug.Controller()->createView(ViewType::kEditor);
}

// An instance whose editor is attached to a host window, as after the user opened it.
struct OpenEditor {
  HostWindow host;
  TestPlugin plug;
  TestRunLoop loop;
  IPlugView* view = nullptr;

  bool Open() {
    if (!host.Valid() || !plug.Valid()) return false;
    view = CreateEditor(plug);
    view->setFrame(&loop);
    return view->attached(host.Id(), kPlatformTypeX11EmbedWindowID) == kResultTrue;
  }
  ~OpenEditor() {
    if (view) view->release();
  }
};
}  // namespace

TEST(Vst3View, AnswersPlatformAndSizeBeforeItIsAttached) {
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  EXPECT_EQ(plug.Controller()->createView("something else"), nullptr);
  EXPECT_EQ(plug.Controller()->createView(nullptr), nullptr);
  IPlugView* view = CreateEditor(plug);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.left, 0);
  EXPECT_EQ(size.top, 0);
  EXPECT_EQ(size.right, 730);
  EXPECT_EQ(size.bottom, 431);
  EXPECT_EQ(view->canResize(), kResultFalse);
  EXPECT_EQ(view->onKeyDown(u'a', 0, 0), kResultFalse);  // no window: the host keeps its keys
  // Not attached: nothing to remove; no parent or a foreign platform: refused.
  EXPECT_NE(view->removed(), kResultTrue);
  TestRunLoop loop;
  view->setFrame(&loop);
  EXPECT_NE(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_NE(view->attached(reinterpret_cast<void*>(1), kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(loop.Timers(), 0u);
  view->release();
}

TEST(Vst3View, OpensInARealWindowAndClosesFiftyTimes) {
  SKIP_WITHOUT_DISPLAY();
  HostWindow host;
  ASSERT_TRUE(host.Valid());
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();

  size_t descriptorsAfterFirst = 0;
  for (int round = 0; round < 50; ++round) {
    IPlugView* view = CreateEditor(plug);
    ASSERT_NE(view, nullptr);
    TestRunLoop loop;
    ASSERT_EQ(view->setFrame(&loop), kResultTrue);
    ASSERT_EQ(view->attached(host.Id(), kPlatformTypeX11EmbedWindowID), kResultTrue) << round;
    ASSERT_EQ(loop.Timers(), 1u);
    EXPECT_EQ(loop.LastInterval(), 40u);  // 25 frames per second
    ASSERT_EQ(loop.Handlers(), 1u);
    const std::vector<Window> children = host.Children();
    ASSERT_EQ(children.size(), 1u) << round;
    loop.RunFor(round == 0 ? 200ms : 10ms);

    if (round == 0) {
      // The editor's picture reached the window: its size, and not the black of an empty one.
      XWindowAttributes attributes;
      ASSERT_TRUE(XGetWindowAttributes(host.Dpy(), children[0], &attributes));
      EXPECT_EQ(attributes.width, 730);
      EXPECT_EQ(attributes.height, 431);
      // On a busy machine the first expose may take a while: wait up to two seconds for it.
      int lit = 0;
      for (int attempt = 0; attempt < 40 && lit <= 1000; ++attempt) {
        if (attempt) loop.RunFor(50ms);
        XImage* image = XGetImage(host.Dpy(), children[0], 0, 0, 730, 431, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        lit = 0;
        for (int y = 0; y < 431; y += 7)
          for (int x = 0; x < 730; x += 7) lit += XGetPixel(image, x, y) != 0 ? 1 : 0;
        XDestroyImage(image);
      }
      EXPECT_GT(lit, 1000);
    }

    ASSERT_EQ(view->removed(), kResultTrue);
    EXPECT_EQ(loop.Timers(), 0u);
    EXPECT_EQ(loop.Handlers(), 0u);
    EXPECT_TRUE(host.Children().empty()) << round;
    view->release();
    if (round == 0) descriptorsAfterFirst = OpenDescriptors();
  }
  // Every round closed its X connection.
  EXPECT_EQ(OpenDescriptors(), descriptorsAfterFirst);
}

TEST(Vst3View, AMouseStrokeInTheWindowReachesThePlot) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor open;
  ASSERT_TRUE(open.Open()) << TestHost::Get().LoadError();
  HostWindow& host = open.host;
  TestPlugin& plug = open.plug;
  TestRunLoop& loop = open.loop;
  IPlugView* view = open.view;
  loop.RunFor(100ms);
  const std::vector<Window> children = host.Children();
  ASSERT_EQ(children.size(), 1u);
  const std::vector<uint8_t> before = plug.ComponentState();

  // A freehand stroke (right button) across the plot, which spans (49, 11) to (487, 380).
  const Window editor = children[0];
  host.Send(editor, ButtonPress, Button3, 0, 100, 300);
  for (int x = 100; x <= 400; x += 10)
    host.Send(editor, MotionNotify, 0, Button3Mask, x, 300 - (x - 100) / 2);
  host.Send(editor, ButtonRelease, Button3, Button3Mask, 400, 150);
  loop.RunFor(300ms);

  const std::vector<uint8_t> after = plug.ComponentState();
  ASSERT_EQ(after.size(), before.size());
  // The target curve changed; the measurement did not.
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + 960, after.begin()));
  EXPECT_FALSE(std::equal(before.begin() + 960, before.begin() + 1920, after.begin() + 960));
  // Every point of the drag drew, not only its ends: the 31 positions span dozens of bands.
  int bandsMoved = 0;
  for (size_t band = 0; band < 120; ++band)
    bandsMoved += std::memcmp(&before[960 + band * 8], &after[960 + band * 8], 8) != 0 ? 1 : 0;
  EXPECT_GT(bandsMoved, 20);

  // A key that maps to no editor code (F1 has virtual key 37 and no character) reaches the host.
  EXPECT_EQ(view->onKeyDown(0, 37, 0), kResultFalse);

  ASSERT_EQ(view->removed(), kResultTrue);
}

TEST(Vst3View, SurvivesTheHostDestroyingItsWindowFirst) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor open;
  ASSERT_TRUE(open.Open()) << TestHost::Get().LoadError();
  HostWindow& host = open.host;
  TestPlugin& plug = open.plug;
  TestRunLoop& loop = open.loop;
  IPlugView* view = open.view;
  loop.RunFor(50ms);
  // The editor window goes with its parent; closing afterwards must not take the host down.
  host.Destroy();
  loop.RunFor(50ms);
  EXPECT_EQ(view->removed(), kResultTrue);

  // A parent id that is no window at all is refused.
  IPlugView* again = CreateEditor(plug);
  TestRunLoop loop2;
  again->setFrame(&loop2);
  EXPECT_NE(again->attached(reinterpret_cast<void*>(uintptr_t(0x3FFFFFF)), kPlatformTypeX11EmbedWindowID),
            kResultTrue);
  EXPECT_EQ(loop2.Timers(), 0u);
  again->release();
}

TEST(Vst3View, TwoInstancesKeepTheirOwnWindows) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor first;
  OpenEditor second;
  ASSERT_TRUE(first.Open()) << TestHost::Get().LoadError();
  ASSERT_TRUE(second.Open());
  first.loop.RunFor(50ms);
  second.loop.RunFor(50ms);
  ASSERT_EQ(first.host.Children().size(), 1u);
  ASSERT_EQ(second.host.Children().size(), 1u);
  const std::vector<uint8_t> firstBefore = first.plug.ComponentState();
  const std::vector<uint8_t> secondBefore = second.plug.ComponentState();

  // A stroke in the first editor changes the first instance only.
  const Window editor = first.host.Children()[0];
  first.host.Send(editor, ButtonPress, Button3, 0, 120, 320);
  for (int x = 120; x <= 300; x += 20) first.host.Send(editor, MotionNotify, 0, Button3Mask, x, 200);
  first.host.Send(editor, ButtonRelease, Button3, Button3Mask, 300, 200);
  first.loop.RunFor(200ms);
  second.loop.RunFor(50ms);
  EXPECT_NE(first.plug.ComponentState(), firstBefore);
  EXPECT_EQ(second.plug.ComponentState(), secondBefore);

  // Closing one leaves the other open and working.
  ASSERT_EQ(first.view->removed(), kResultTrue);
  second.loop.RunFor(50ms);
  EXPECT_EQ(second.host.Children().size(), 1u);
  ASSERT_EQ(second.view->removed(), kResultTrue);
}

namespace {
// The band a right-button click at editor column x writes.
int BandAt(int x) {
  return int((x - 49) * 119.0 / 437.0 + 0.5);
}

// The bands whose target differs between two component states.
std::vector<int> TargetBandsChanged(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<int> bands;
  for (int band = 0; band < 120; ++band)
    if (std::memcmp(&a[960 + size_t(band) * 8], &b[960 + size_t(band) * 8], 8) != 0) bands.push_back(band);
  return bands;
}

XWindowAttributes AttributesOf(HostWindow& host) {
  XWindowAttributes attributes = {};
  const std::vector<Window> children = host.Children();
  if (children.size() == 1) XGetWindowAttributes(host.Dpy(), children[0], &attributes);
  return attributes;
}
}  // namespace

// A host that sets the content scale gets the scaled view, and the pointer still lands on the band
// under it.
TEST(Vst3View, ContentScaleSizesTheViewAndKeepsThePointerOnItsBand) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor open;
  ASSERT_TRUE(open.host.Valid() && open.plug.Valid()) << TestHost::Get().LoadError();
  IPlugView* view = open.view = CreateEditor(open.plug);
  FUnknownPtr<IPlugViewContentScaleSupport> scaling(view);
  ASSERT_TRUE(scaling);
  EXPECT_EQ(scaling->setContentScaleFactor(std::nanf("")), kInvalidArgument);
  ASSERT_EQ(scaling->setContentScaleFactor(2.0f), kResultTrue);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), 1460);
  EXPECT_EQ(size.getHeight(), 862);
  view->setFrame(&open.loop);
  ASSERT_EQ(view->attached(open.host.Id(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  open.loop.RunFor(100ms);
  EXPECT_EQ(AttributesOf(open.host).width, 1460);
  EXPECT_EQ(AttributesOf(open.host).height, 862);

  // A right click at device (538, 400) is editor (269, 200): one band, the one under the pointer.
  const std::vector<uint8_t> before = open.plug.ComponentState();
  const Window editor = open.host.Children()[0];
  open.host.Send(editor, ButtonPress, Button3, 0, 538, 400);
  open.host.Send(editor, ButtonRelease, Button3, Button3Mask, 538, 400);
  open.loop.RunFor(200ms);
  EXPECT_EQ(TargetBandsChanged(before, open.plug.ComponentState()), std::vector<int>{BandAt(269)});

  // A new scale while open resizes the window through the host's frame.
  ASSERT_EQ(scaling->setContentScaleFactor(1.5f), kResultTrue);
  open.loop.RunFor(50ms);
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), 1095);
  EXPECT_EQ(AttributesOf(open.host).width, 1095);
  EXPECT_EQ(AttributesOf(open.host).height, 647);
  ASSERT_EQ(view->removed(), kResultTrue);
}

// Without a scale from the host the editor follows the desktop's Xft.dpi (96 dpi is 100 %).
TEST(Vst3View, WithoutAHostScaleTheDesktopDpiHolds) {
  SKIP_WITHOUT_DISPLAY();
  if (std::getenv("GDK_SCALE")) GTEST_SKIP() << "GDK_SCALE overrides the X resources";
  HostWindow host;
  ASSERT_TRUE(host.Valid());
  Window root = DefaultRootWindow(host.Dpy());
  const Atom resources = XInternAtom(host.Dpy(), "RESOURCE_MANAGER", False);
  const char dpi[] = "Xft.antialias:\t1\nXft.dpi:\t192\n";
  XChangeProperty(host.Dpy(), root, resources, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(dpi), int(sizeof dpi - 1));
  XSync(host.Dpy(), False);
  TestPlugin plug;
  ASSERT_TRUE(plug.Valid()) << TestHost::Get().LoadError();
  IPlugView* view = CreateEditor(plug);
  ViewRect size;
  view->getSize(&size);
  XDeleteProperty(host.Dpy(), root, resources);
  XSync(host.Dpy(), False);
  EXPECT_EQ(size.getWidth(), 1460);
  EXPECT_EQ(size.getHeight(), 862);
  view->release();
}

// Hosts may create a second view of an instance (a detached copy, a re-opened frame): the editor
// window stays with the first until that one is removed.
TEST(Vst3View, ASecondViewOfTheSameInstanceLeavesTheFirstAlone) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor open;
  ASSERT_TRUE(open.Open()) << TestHost::Get().LoadError();
  HostWindow otherHost;
  IPlugView* second = CreateEditor(open.plug);
  ASSERT_NE(second, nullptr);
  second->setFrame(&open.loop);
  EXPECT_NE(second->attached(otherHost.Id(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  open.loop.RunFor(50ms);
  EXPECT_EQ(open.host.Children().size(), 1u);
  EXPECT_NE(second->removed(), kResultTrue);
  EXPECT_EQ(open.host.Children().size(), 1u);

  // Once the first is gone the second can show the editor.
  ASSERT_EQ(open.view->removed(), kResultTrue);
  ASSERT_EQ(second->attached(otherHost.Id(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(otherHost.Children().size(), 1u);
  ASSERT_EQ(second->removed(), kResultTrue);
  second->release();
}

// A click gives the editor the keyboard; keys it has no use for go on to the host's window.
TEST(Vst3View, TakesTheFocusOnClickAndHandsUnusedKeysToTheHost) {
  SKIP_WITHOUT_DISPLAY();
  OpenEditor open;
  ASSERT_TRUE(open.Open()) << TestHost::Get().LoadError();
  Display* dpy = open.host.Dpy();
  const Window hostWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(open.host.Id()));
  XSelectInput(dpy, hostWindow, KeyPressMask);
  open.loop.RunFor(50ms);
  const std::vector<Window> children = open.host.Children();
  ASSERT_EQ(children.size(), 1u);
  const Window editor = children[0];

  open.host.Send(editor, ButtonPress, Button1, 0, 700, 420);
  open.host.Send(editor, ButtonRelease, Button1, Button1Mask, 700, 420);
  open.loop.RunFor(100ms);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(dpy, &focus, &revert);
  EXPECT_EQ(focus, editor);

  XEvent key = {};
  key.type = KeyPress;
  key.xkey.window = editor;
  key.xkey.keycode = XKeysymToKeycode(dpy, XK_F1);
  key.xkey.same_screen = True;
  XSendEvent(dpy, editor, False, KeyPressMask, &key);
  XFlush(dpy);
  open.loop.RunFor(100ms);
  XEvent received = {};
  EXPECT_TRUE(XCheckTypedWindowEvent(dpy, hostWindow, KeyPress, &received));
  EXPECT_EQ(received.xkey.keycode, key.xkey.keycode);
  ASSERT_EQ(open.view->removed(), kResultTrue);
}
