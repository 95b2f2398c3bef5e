#pragma once
// An invisible click area over the Help button: it opens the manual's start page in the browser.

#include <string>

#include "framework/graphics/IControl.h"

class EditorLink;

class IHelp : public IControl {
 public:
  static constexpr const char* kStartPage = "1.htm";

  IHelp(EditorLink* link, IRECT rect);
  ~IHelp() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }

  // The help folder of an editor: "help" in its resource folder.
  static std::string HelpFolder(IGraphics* graphics);

  EditorLink* effect;
};
