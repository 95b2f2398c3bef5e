#pragma once
// A host and a user at work on one instance at once, as a DAW drives it: audio blocks of a steady
// sine, automation, states saved and loaded again, and left-button pen strokes sent to the editor's
// window, each on a thread of its own; the calling thread is the editor's. Under ThreadSanitizer any
// data race between them is reported.

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "linux/TestDisplay.h"

// A top-level window standing in for the host's editor frame, on the test's own connection.
class TrafficHostWindow {
 public:
  TrafficHostWindow() : mDisplay(OpenTestDisplay()) {
    if (!mDisplay) return;
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 730, 431, 0, 0, 0);
    XMapWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
  }
  ~TrafficHostWindow() {
    if (!mDisplay) return;
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }
  bool Valid() const { return mDisplay != nullptr; }
  Display* Dpy() const { return mDisplay; }
  void* Id() const { return reinterpret_cast<void*>(uintptr_t(mWindow)); }
  // The editor's window once it is open inside this one; 0 when there is none.
  Window Editor() const {
    XSync(mDisplay, False);
    Window root = 0, parent = 0, *kids = nullptr, found = 0;
    unsigned n = 0;
    if (XQueryTree(mDisplay, mWindow, &root, &parent, &kids, &n) && n > 0) found = kids[0];
    if (kids) XFree(kids);
    return found;
  }

 private:
  Display* mDisplay;
  Window mWindow = 0;
};

struct HostTraffic {
  std::function<void(const std::vector<double>& block, long index)> process;  // audio thread
  std::function<void(int step)> automate;                                     // a host thread
  std::function<std::vector<uint8_t>()> save;                                 // a host thread
  std::function<void(const std::vector<uint8_t>& state)> load;                // the same thread
  std::function<void()> editor_frame;  // the calling thread, a few times after each stroke
};

// Runs the traffic for `length`; returns every state saved meanwhile.
inline std::vector<std::vector<uint8_t>> RunHostTraffic(const HostTraffic& t, Display* dpy, Window editor,
                                                        std::chrono::milliseconds length) {
  using namespace std::chrono_literals;
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<double> in(256);
    for (long b = 0; !stop; ++b) {
      for (int i = 0; i < 256; ++i) in[size_t(i)] = 0.3 * std::sin(0.0313 * double(b * 256 + i));
      t.process(in, b);
    }
  });
  std::thread automation([&] {
    for (int k = 0; !stop; ++k) {
      t.automate(k);
      std::this_thread::sleep_for(3ms);
    }
  });
  std::vector<std::vector<uint8_t>> saved;
  std::thread states([&] {
    for (size_t k = 0; !stop; ++k) {
      saved.push_back(t.save());
      if (k % 3 == 2) t.load(saved[k / 2]);  // an earlier state comes back
      std::this_thread::sleep_for(5ms);
    }
  });

  unsigned long time = 0;
  auto button = [&](int type, int x, int y) {
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.window = editor;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.button = Button1;
    e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
    e.xbutton.time = (time += 1000);  // far apart: never a double-click
    e.xbutton.same_screen = True;
    XSendEvent(dpy, editor, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  };
  const auto end = std::chrono::steady_clock::now() + length;
  for (int k = 0; std::chrono::steady_clock::now() < end; ++k) {
    // Mostly strokes across the plot, (49, 11) to (487, 380): press, six motions, release. Now and
    // then the "Bypass signal volume" fader instead, or a click on Undo or Redo.
    int x0 = 60 + (k * 37) % 380, y0 = 40 + (k * 53) % 300;
    int x1 = 60 + (k * 71) % 380, y1 = 40 + (k * 29) % 300;
    if (k % 5 == 3) {
      x0 = 550;
      x1 = 660;
      y0 = y1 = 198;
    } else if (k % 5 == 4) {
      x0 = x1 = k % 2 ? 580 : 670;
      y0 = y1 = 280;
    }
    button(ButtonPress, x0, y0);
    for (int s = 1; s <= 6; ++s) {
      XEvent e{};
      e.xmotion.type = MotionNotify;
      e.xmotion.window = editor;
      e.xmotion.x = x0 + (x1 - x0) * s / 6;
      e.xmotion.y = y0 + (y1 - y0) * s / 6;
      e.xmotion.state = Button1Mask;
      e.xmotion.same_screen = True;
      XSendEvent(dpy, editor, False, PointerMotionMask, &e);
    }
    button(ButtonRelease, x1, y1);
    XFlush(dpy);
    for (int f = 0; f < 3; ++f) t.editor_frame();
  }
  stop = true;
  audio.join();
  automation.join();
  states.join();
  return saved;
}
