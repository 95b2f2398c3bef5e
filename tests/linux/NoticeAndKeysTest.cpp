// The modal notice window (layout, and answered in a real X window), key translation and the X
// error trap that keeps the host alive.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/graphics/linux/IGraphicsLinux.h"
#include "framework/graphics/linux/X11ErrorTrap.h"
#include "framework/graphics/linux/X11NoticeWindow.h"
// Xlib last: its macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "linux/TestDisplay.h"

namespace {
int MeasureChars(const std::string& text, void*) {
  return int(text.size()) * 10;
}

const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The top-level window whose title is caption, or 0.
Window FindByTitle(Display* display, const char* caption) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int n = 0;
  Window found = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &n) && children) {
    for (unsigned int i = 0; i < n && !found; ++i) {
      char* name = nullptr;
      if (XFetchName(display, children[i], &name) && name) {
        if (std::string(name) == caption) found = children[i];
        XFree(name);
      }
    }
    XFree(children);
  }
  return found;
}

// Shows a notice on another thread and answers it with a key or a click once it is on screen.
int AnswerNotice(const char* caption, int type, KeySym key, int clickX = -1, int clickY = -1) {
  Display* display = OpenTestDisplay();
  if (!display) return -98;
  auto answer = std::async(std::launch::async, [&] {
    return X11NoticeWindow::Show("Some text to read.", caption, type, 0, kFont);
  });
  Window notice = 0;
  for (int i = 0; i < 200 && !notice; ++i) {
    notice = FindByTitle(display, caption);
    if (!notice) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(notice, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  XEvent e = {};
  if (clickX >= 0) {
    e.type = ButtonRelease;
    e.xbutton.window = notice;
    e.xbutton.button = Button1;
    e.xbutton.x = clickX;
    e.xbutton.y = clickY;
    XSendEvent(display, notice, False, ButtonReleaseMask, &e);
  } else {
    e.type = KeyPress;
    e.xkey.window = notice;
    e.xkey.keycode = XKeysymToKeycode(display, key);
    XSendEvent(display, notice, False, KeyPressMask, &e);
  }
  XFlush(display);
  const int result =
      answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready ? answer.get() : -99;
  XCloseDisplay(display);
  return result;
}
}  // namespace

TEST(X11NoticeWindow, LaysOutTextAndButtons) {
  X11NoticeWindow::Layout ok = X11NoticeWindow::MakeLayout("Error_003", kMB_OK, 16, &MeasureChars, nullptr);
  ASSERT_EQ(ok.buttons.size(), 1u);
  EXPECT_STREQ(ok.buttons[0].label, "OK");
  EXPECT_EQ(ok.buttons[0].result, kIDOK);
  EXPECT_EQ(ok.lines, std::vector<std::string>{"Error_003"});
  EXPECT_GE(ok.width, 240);
  EXPECT_LE(ok.buttons[0].x + ok.buttons[0].w, ok.width);
  EXPECT_LE(ok.buttons[0].y + ok.buttons[0].h, ok.height);

  // Long text breaks between words; newlines always break; no line is wider than the window.
  const std::string longText = std::string(60, 'a') + " " + std::string(30, 'b') + "\nsecond";
  X11NoticeWindow::Layout wrapped =
      X11NoticeWindow::MakeLayout(longText.c_str(), kMB_YESNOCANCEL, 16, &MeasureChars, nullptr);
  EXPECT_EQ(wrapped.lines, (std::vector<std::string>{std::string(60, 'a'), std::string(30, 'b'), "second"}));
  ASSERT_EQ(wrapped.buttons.size(), 3u);
  EXPECT_EQ(wrapped.buttons[0].result, kIDYES);
  EXPECT_EQ(wrapped.buttons[1].result, kIDNO);
  EXPECT_EQ(wrapped.buttons[2].result, kIDCANCEL);
  for (const std::string& line : wrapped.lines) EXPECT_LE(MeasureChars(line, nullptr) + 40, wrapped.width);

  X11NoticeWindow::Layout empty = X11NoticeWindow::MakeLayout(nullptr, kMB_OK, 16, &MeasureChars, nullptr);
  EXPECT_EQ(empty.lines.size(), 1u);
}

TEST(X11NoticeWindow, IsAnsweredByKeysAndClicks) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY unset)";
  // The test talks to X from two threads; the notice itself runs on one.
  XInitThreads();
  EXPECT_EQ(AnswerNotice("Info", kMB_OK, XK_Return), kIDOK);
  EXPECT_EQ(AnswerNotice("Question", kMB_YESNO, XK_Escape), kIDNO);
  // A click on the second button of a Yes/No notice.
  X11NoticeWindow::Layout layout = X11NoticeWindow::MakeLayout("x", kMB_YESNO, 16, &MeasureChars, nullptr);
  const auto& no = layout.buttons[1];
  EXPECT_EQ(AnswerNotice("Choice", kMB_YESNO, 0, no.x + no.w / 2, no.y + no.h / 2), kIDNO);
}

TEST(X11ErrorTrap, SwallowsErrorsOfItsOwnConnections) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY unset)";
  Display* display = X11ErrorTrap::Open();
  ASSERT_NE(display, nullptr);
  // Xlib's default handler would end the process here.
  XDestroyWindow(display, 0x3FFFFFF);
  XSync(display, False);
  EXPECT_EQ(X11ErrorTrap::ErrorCount(display), 1);
  X11ErrorTrap::Close(display);
}

TEST(IGraphicsLinux, TranslatesKeysToEditorCodes) {
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_space), KEY_SPACE);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Up), KEY_UPARROW);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Down), KEY_DOWNARROW);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Left), KEY_LEFTARROW);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Right), KEY_RIGHTARROW);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_0), KEY_DIGIT_0);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_9), KEY_DIGIT_9);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_a), KEY_ALPHA_A);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Z), KEY_ALPHA_Z);
  // Keys without a code go on to the host.
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_F1), KEY_NONE);
  EXPECT_EQ(IGraphicsLinux::KeyCodeOf(XK_Return), KEY_NONE);
}
