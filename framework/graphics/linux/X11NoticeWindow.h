#pragma once
// A small modal notice window: a title ("Info", "Error", ...), the text and one row of buttons, drawn
// with the raster back-end. It runs its own event loop on its own X connection until a button is
// pressed, so the editor's events wait for it like behind any modal dialog.

#include <string>
#include <vector>

class X11NoticeWindow {
 public:
  // type: kMB_OK, kMB_OKCANCEL, kMB_YESNO or kMB_YESNOCANCEL. Returns kIDOK, kIDCANCEL, kIDYES or
  // kIDNO. owner (may be 0) is a window on the default display the notice stays above. Without an
  // X server the text goes to standard error and the first button is the answer.
  static int Show(const char* text, const char* caption, int type, unsigned long owner,
                  const std::string& fontFile);

  // What the window shows; public for tests of the layout.
  struct Button {
    const char* label;
    int result;
    int x, y, w, h;
  };
  struct Layout {
    int width = 0, height = 0;
    std::vector<std::string> lines;
    std::vector<Button> buttons;
  };
  // Lines are broken at newlines and, when longer than the window allows, between words.
  static Layout MakeLayout(const char* text, int type, int lineHeight,
                           int (*measure)(const std::string&, void*), void* measureContext);
};
