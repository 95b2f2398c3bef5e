#pragma once
// The scale of the Linux desktop, for editors whose host gives none: GDK_SCALE when set, else the
// Xft.dpi the desktop stored in the X resources (96 dpi is 100 %).

struct _XDisplay;

namespace DesktopScale {
// The value of Xft.dpi in an X resource string, or 0 when it has none.
double XftDpi(const char* resources);
// The scale for the display (a connection of its own when null).
double Of(_XDisplay* display);
}  // namespace DesktopScale
