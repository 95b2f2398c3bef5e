#include "framework/graphics/linux/DesktopScale.h"

#include <cstdlib>
#include <cstring>

#include "framework/graphics/IGraphics.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>

double DesktopScale::XftDpi(const char* resources) {
  if (!resources) return 0.0;
  // One "name:\tvalue" per line; only a line that starts with the name counts.
  constexpr const char* kName = "Xft.dpi:";
  for (const char* line = resources; *line;) {
    const char* end = std::strchr(line, '\n');
    if (std::strncmp(line, kName, std::strlen(kName)) == 0) {
      char* stop = nullptr;
      const double dpi = std::strtod(line + std::strlen(kName), &stop);
      if (stop != line + std::strlen(kName) && dpi > 0.0) return dpi;
    }
    if (!end) break;
    line = end + 1;
  }
  return 0.0;
}

double DesktopScale::Of(_XDisplay* display) {
  // GDK_SCALE is a whole factor set by the user or the desktop session.
  if (const char* gdk = std::getenv("GDK_SCALE"); gdk && *gdk) {
    const int factor = std::atoi(gdk);
    if (factor >= 1) return IGraphics::ScaleOfDpi(96.0 * factor);
  }
  Display* own = display ? nullptr : XOpenDisplay(nullptr);
  Display* d = display ? display : own;
  if (!d) return IGraphics::kMinScale;
  const double dpi = XftDpi(XResourceManagerString(d));
  if (own) XCloseDisplay(own);
  return dpi > 0.0 ? IGraphics::ScaleOfDpi(dpi) : IGraphics::kMinScale;
}
