#pragma once
// A connection to the test's X server. Xvfb on a busy machine now and then turns a connection away
// (reset, or a full listen queue), so the tests try a few times.

#include <X11/Xlib.h>
#include <chrono>
#include <thread>

inline Display* OpenTestDisplay() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}
