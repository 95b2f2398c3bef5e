#include "framework/graphics/linux/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace {
std::mutex gMutex;
std::map<Display*, int> gDisplays;  // our connections and their swallowed errors
XErrorHandler gPrevious = nullptr;
bool gInstalled = false;

int OnXError(Display* display, XErrorEvent* event) {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gDisplays.find(display);
    if (it != gDisplays.end()) {
      ++it->second;
      return 0;
    }
  }
  return gPrevious ? gPrevious(display, event) : 0;
}
}  // namespace

Display* X11ErrorTrap::Open() {
  // A busy server may turn a connection away for a moment (reset, or a full listen queue).
  Display* display = nullptr;
  for (int attempt = 0; attempt < 5 && !display; ++attempt)
    if (!(display = XOpenDisplay(nullptr)) && std::getenv("DISPLAY"))
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (!display) return nullptr;
  std::lock_guard<std::mutex> lock(gMutex);
  gDisplays[display] = 0;
  if (!gInstalled) {
    gPrevious = XSetErrorHandler(&OnXError);
    gInstalled = true;
  }
  return display;
}

void X11ErrorTrap::Close(Display* display) {
  if (!display) return;
  XSync(display, False);  // errors still in flight are ours
  XCloseDisplay(display);
  std::lock_guard<std::mutex> lock(gMutex);
  gDisplays.erase(display);
  if (gDisplays.empty() && gInstalled) {
    // Give the host its handler back unless someone replaced ours meanwhile.
    XErrorHandler current = XSetErrorHandler(gPrevious);
    if (current != &OnXError) XSetErrorHandler(current);
    gInstalled = false;
    gPrevious = nullptr;
  }
}

int X11ErrorTrap::ErrorCount(Display* display) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto it = gDisplays.find(display);
  return it == gDisplays.end() ? 0 : it->second;
}
