// The editor in a real X11 window, opened inside a host window the way a Linux VST2 host does.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "vst2/Vst2Host.h"

#if RESONIX_TEST_X11
#include <X11/Xlib.h>
#endif

using namespace vst2;
using namespace vst2test;

#if RESONIX_TEST_X11

namespace {

class HostWindow {
 public:
  HostWindow() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    // Right after many editor connections closed, the server may briefly refuse new ones (EAGAIN).
    for (int attempt = 0; attempt < 20 && !dpy_; ++attempt) {
      dpy_ = XOpenDisplay(nullptr);
      if (!dpy_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!dpy_) return;
    win_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 800, 500, 0, 0, 0);
    XMapWindow(dpy_, win_);
    XSync(dpy_, False);
  }
  ~HostWindow() {
    if (!dpy_) return;
    XDestroyWindow(dpy_, win_);
    XCloseDisplay(dpy_);
  }
  explicit operator bool() const { return dpy_ != nullptr; }
  Display* display() const { return dpy_; }

  // The editor's window, once it is open inside ours.
  Window child() {
    XSync(dpy_, False);
    Window root = 0, parent = 0, *kids = nullptr, found = 0;
    unsigned n = 0;
    if (XQueryTree(dpy_, win_, &root, &parent, &kids, &n) && n > 0) found = kids[0];
    if (kids) XFree(kids);
    return found;
  }

  // A left click as the X server would deliver it to the editor's window.
  void click(Window target, int x, int y) {
    for (int type : {ButtonPress, ButtonRelease}) {
      XEvent e{};
      e.xbutton.type = type;
      e.xbutton.display = dpy_;
      e.xbutton.window = target;
      e.xbutton.root = DefaultRootWindow(dpy_);
      e.xbutton.x = x;
      e.xbutton.y = y;
      e.xbutton.button = Button1;
      e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
      e.xbutton.same_screen = True;
      e.xbutton.time = CurrentTime;
      XSendEvent(dpy_, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XSync(dpy_, False);
  }
  void* handle() const { return reinterpret_cast<void*>(uintptr_t(win_)); }

  int children() {
    XSync(dpy_, False);
    Window root = 0, parent = 0, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(dpy_, win_, &root, &parent, &kids, &n)) return -1;
    if (kids) XFree(kids);
    return int(n);
  }

 private:
  Display* dpy_ = nullptr;
  Window win_ = 0;
};

// What a host does between opening and closing: idle calls at the editor's frame rate.
void idle(Vst2Instance& plug, int ticks) {
  for (int i = 0; i < ticks; ++i) {
    plug.dispatch(effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

class Vst2Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!window_) GTEST_SKIP() << "no X display";
    ERect* rect = nullptr;
    if (plug_.dispatch(effEditGetRect, 0, 0, &rect) != 1) GTEST_SKIP() << "this build has no editor window";
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 730);
    EXPECT_EQ(rect->bottom - rect->top, 431);
  }
  // The editor opens its own X connection; a loaded server may refuse one for a moment, which a
  // user answers by opening the editor again.
  VstIntPtr open_editor() {
    VstIntPtr result = 0;
    for (int attempt = 0; attempt < 3 && result != 1; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      result = plug_.dispatch(effEditOpen, 0, 0, window_.handle());
    }
    return result;
  }

  HostWindow window_;
  Vst2Instance plug_;
};

TEST_F(Vst2Editor, OpensInsideTheHostWindowAndClosesAgain) {
  ASSERT_EQ(window_.children(), 0);
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ(open_editor(), 1) << round;
    EXPECT_EQ(window_.children(), 1) << round;
    idle(plug_, round % 5 == 0 ? 10 : 1);
    ASSERT_EQ(plug_.dispatch(effEditClose), 1) << round;
    EXPECT_EQ(window_.children(), 0) << round;
  }
  // Closing what is not open, and idling with no window, do nothing.
  EXPECT_EQ(plug_.dispatch(effEditClose), 0);
  idle(plug_, 3);
}

TEST_F(Vst2Editor, ReopeningWithoutCloseKeepsOneWindow) {
  ASSERT_EQ(open_editor(), 1);
  ASSERT_EQ(open_editor(), 1);
  EXPECT_EQ(window_.children(), 1);
  idle(plug_, 5);
  EXPECT_EQ(plug_.dispatch(effEditClose), 1);
  EXPECT_EQ(window_.children(), 0);
}

TEST_F(Vst2Editor, NoParentNoWindow) {
  EXPECT_EQ(plug_.dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(window_.children(), 0);
  EXPECT_EQ(plug_.dispatch(effEditClose), 0);
  // A window id that names no window is a failure the host hears of, not a crash.
  EXPECT_EQ(plug_.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x7ffffff1))), 0);
  idle(plug_, 2);
  EXPECT_EQ(plug_.dispatch(effEditClose), 0);
  // The editor still opens in a real window afterwards.
  EXPECT_EQ(open_editor(), 1);
  EXPECT_EQ(window_.children(), 1);
  EXPECT_EQ(plug_.dispatch(effEditClose), 1);
}

TEST_F(Vst2Editor, InstanceClosedWithItsEditorOpen) {
  ASSERT_EQ(open_editor(), 1);
  idle(plug_, 3);
  plug_.close();
  EXPECT_EQ(window_.children(), 0);
}

TEST_F(Vst2Editor, AClickInTheEditorReachesTheHostAsAutomation) {
  ASSERT_EQ(open_editor(), 1);
  const Window editor = window_.child();
  ASSERT_NE(editor, 0u);
  idle(plug_, 3);
  host().clear();
  ASSERT_FLOAT_EQ(plug_.get(0), 0.0f);
  // The lower of the two "Mode" buttons selects Bypass.
  window_.click(editor, 556, 152);
  for (int i = 0; i < 50 && host().calls_with(audioMasterAutomate).empty(); ++i) idle(plug_, 1);
  const auto automation = host().calls_with(audioMasterAutomate);
  ASSERT_FALSE(automation.empty());
  EXPECT_EQ(automation.back().index, 0);
  EXPECT_FLOAT_EQ(automation.back().opt, 1.0f);
  EXPECT_FLOAT_EQ(plug_.get(0), 1.0f);
  EXPECT_EQ(plug_.dispatch(effEditClose), 1);
}

TEST_F(Vst2Editor, AudioRunsWhileTheEditorRepaints) {
  ASSERT_EQ(open_editor(), 1);
  std::thread audio([&] {
    std::vector<double> in(256, 0.1);
    for (int i = 0; i < 200; ++i) plug_.process_double(in);
  });
  idle(plug_, 50);
  audio.join();
  EXPECT_EQ(plug_.dispatch(effEditClose), 1);
}

#else

TEST(Vst2Editor, NeedsX11) {
  GTEST_SKIP() << "built without X11";
}

#endif

#if RESONIX_TEST_X11
// A VST2 host knows nothing of the screen's density: on a desktop at 200 % the editor rectangle and
// the window are twice as large.
TEST_F(Vst2Editor, FollowsTheDesktopScale) {
  setenv("GDK_SCALE", "2", 1);
  ERect* rect = nullptr;
  const VstIntPtr got = plug_.dispatch(effEditGetRect, 0, 0, &rect);
  const VstIntPtr opened = open_editor();
  unsetenv("GDK_SCALE");
  ASSERT_EQ(got, 1);
  EXPECT_EQ(rect->right - rect->left, 1460);
  EXPECT_EQ(rect->bottom - rect->top, 862);
  ASSERT_EQ(opened, 1);
  XWindowAttributes attributes = {};
  ASSERT_TRUE(XGetWindowAttributes(window_.display(), window_.child(), &attributes));
  EXPECT_EQ(attributes.width, 1460);
  EXPECT_EQ(attributes.height, 862);
  EXPECT_EQ(plug_.dispatch(effEditClose), 1);
}
#endif
