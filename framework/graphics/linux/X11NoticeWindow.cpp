#include "framework/graphics/linux/X11NoticeWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/graphics/linux/X11ErrorTrap.h"
#include "raster/FontCache.h"
#include "raster/RasterBlend.h"
// Xlib last: its macros would break the headers above.
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include "framework/graphics/linux/X11Image.h"

namespace {
constexpr int kMargin = 20;
constexpr int kMaxTextWidth = 460;
constexpr int kMinWidth = 240;
constexpr int kButtonW = 84;
constexpr int kButtonH = 26;
constexpr int kButtonGap = 10;
constexpr uint32_t kBackground = 0xFFF2F2F2;
constexpr uint32_t kText = 0xFF000000;
constexpr uint32_t kButtonFace = 0xFFDDDDDD;
constexpr uint32_t kButtonEdge = 0xFF808080;

std::vector<std::pair<const char*, int>> ButtonsOf(int type) {
  switch (type) {
    case kMB_OKCANCEL:
      return {{"OK", kIDOK}, {"Cancel", kIDCANCEL}};
    case kMB_YESNO:
      return {{"Yes", kIDYES}, {"No", kIDNO}};
    case kMB_YESNOCANCEL:
      return {{"Yes", kIDYES}, {"No", kIDNO}, {"Cancel", kIDCANCEL}};
    default:
      return {{"OK", kIDOK}};
  }
}

// The answer of Escape and of the window's close box.
int CancelOf(int type) {
  switch (type) {
    case kMB_OKCANCEL:
    case kMB_YESNOCANCEL:
      return kIDCANCEL;
    case kMB_YESNO:
      return kIDNO;
    default:
      return kIDOK;
  }
}

int MeasureWithFont(const std::string& text, void* font) {
  return font ? static_cast<RasterFont*>(font)->MeasureWidth(text.c_str()) : int(text.size()) * 7;
}

Window TopLevelOf(Display* display, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  while (w) {
    if (!XQueryTree(display, w, &root, &parent, &children, &n)) return 0;
    if (children) XFree(children);
    if (parent == root || parent == 0) return w;
    w = parent;
  }
  return 0;
}
}  // namespace

X11NoticeWindow::Layout X11NoticeWindow::MakeLayout(const char* text, int type, int lineHeight,
                                                    int (*measure)(const std::string&, void*), void* ctx) {
  Layout layout;
  std::string all = text ? text : "";
  size_t start = 0;
  int widest = 0;
  while (start <= all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string paragraph = all.substr(start, end - start);
    // Break between words while the line is too wide; a single long word stays whole.
    std::string line;
    size_t pos = 0;
    while (pos <= paragraph.size()) {
      size_t space = paragraph.find(' ', pos);
      if (space == std::string::npos) space = paragraph.size();
      std::string word = paragraph.substr(pos, space - pos);
      std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && measure(candidate, ctx) > kMaxTextWidth) {
        layout.lines.push_back(line);
        line = word;
      } else
        line = candidate;
      pos = space + 1;
    }
    layout.lines.push_back(line);
    start = end + 1;
  }
  for (const std::string& line : layout.lines) widest = std::max(widest, measure(line, ctx));

  const auto buttons = ButtonsOf(type);
  const int rowWidth = int(buttons.size()) * kButtonW + int(buttons.size() - 1) * kButtonGap;
  layout.width = std::max({kMinWidth, widest + 2 * kMargin, rowWidth + 2 * kMargin});
  const int textHeight = int(layout.lines.size()) * lineHeight;
  layout.height = kMargin + textHeight + kMargin + kButtonH + kMargin;
  int x = (layout.width - rowWidth) / 2;
  const int y = layout.height - kMargin - kButtonH;
  for (const auto& [label, result] : buttons) {
    layout.buttons.push_back({label, result, x, y, kButtonW, kButtonH});
    x += kButtonW + kButtonGap;
  }
  return layout;
}

int X11NoticeWindow::Show(const char* text, const char* caption, int type, unsigned long owner,
                          const std::string& fontFile) {
  const auto buttons = ButtonsOf(type);
  Display* display = X11ErrorTrap::Open();
  if (!display) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "Info", text ? text : "");
    return buttons.front().second;
  }

  RasterFont::Spec spec;
  spec.file = fontFile;
  spec.height = 13;
  RasterFont* font = FontCache::Get(spec);
  const int lineHeight = font ? font->LineHeight() + 2 : 16;
  const Layout layout = MakeLayout(text, type, lineHeight, &MeasureWithFont, font);

  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const int x = std::max(0, (DisplayWidth(display, screen) - layout.width) / 2);
  const int y = std::max(0, (DisplayHeight(display, screen) - layout.height) / 2);
  Window window = XCreateSimpleWindow(display, root, x, y, unsigned(layout.width), unsigned(layout.height), 0,
                                      BlackPixel(display, screen), WhitePixel(display, screen));
  XStoreName(display, window, caption ? caption : "Info");
  Atom wmDelete = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &wmDelete, 1);
  Atom windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, window, windowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&dialogType), 1);
  if (Window top = owner ? TopLevelOf(display, owner) : 0) XSetTransientForHint(display, window, top);
  XSizeHints hints = {};
  hints.flags = PMinSize | PMaxSize | PPosition;
  hints.x = x;
  hints.y = y;
  hints.min_width = hints.max_width = layout.width;
  hints.min_height = hints.max_height = layout.height;
  XSetWMNormalHints(display, window, &hints);
  XSelectInput(display, window,
               ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask);
  XMapRaised(display, window);

  // Draw once into a bitmap; every expose copies it.
  RasterBitmap bitmap(layout.width, layout.height, kBackground);
  const RasterRect all = bitmap.Bounds();
  int lineY = kMargin;
  for (const std::string& line : layout.lines) {
    if (font)
      font->Draw(bitmap, line.c_str(), RasterRect{kMargin, lineY, layout.width - kMargin, lineY + lineHeight},
                 RasterFont::kAlignLeft, kText, all);
    lineY += lineHeight;
  }
  for (const Button& b : layout.buttons) {
    RasterFillRect(bitmap, RasterRect{b.x, b.y, b.x + b.w, b.y + b.h}, kButtonEdge, RasterBlendMode::kCopy,
                   1.f, all);
    RasterFillRect(bitmap, RasterRect{b.x + 1, b.y + 1, b.x + b.w - 1, b.y + b.h - 1}, kButtonFace,
                   RasterBlendMode::kCopy, 1.f, all);
    if (font) {
      const int ty = b.y + (b.h - font->LineHeight()) / 2;
      font->Draw(bitmap, b.label, RasterRect{b.x, ty, b.x + b.w, ty + font->LineHeight()},
                 RasterFont::kAlignCenter, kText, all);
    }
  }

  X11Image image(display, layout.width, layout.height);
  image.Fill(bitmap, all);
  GC gc = XCreateGC(display, window, 0, nullptr);

  int result = -1;
  while (result < 0) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) image.Put(window, gc, all);
        break;
      case ButtonRelease:
        if (event.xbutton.button == Button1)
          for (const Button& b : layout.buttons)
            if (event.xbutton.x >= b.x && event.xbutton.x < b.x + b.w && event.xbutton.y >= b.y &&
                event.xbutton.y < b.y + b.h)
              result = b.result;
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Return || key == XK_KP_Enter || key == XK_space)
          result = layout.buttons.front().result;
        else if (key == XK_Escape)
          result = CancelOf(type);
        break;
      }
      case ClientMessage:
        if (Atom(event.xclient.data.l[0]) == wmDelete) result = CancelOf(type);
        break;
      case DestroyNotify:
        result = CancelOf(type);
        window = 0;
        break;
      default:
        break;
    }
  }

  XFreeGC(display, gc);
  if (window) XDestroyWindow(display, window);
  X11ErrorTrap::Close(display);
  return result;
}
