#pragma once
// An invisible click area over the Help button: it opens the manual's start page in the browser.

#include <string>

#include "framework/graphics/IControl.h"

class IResonix;

class IHelp : public IControl {
 public:
  static constexpr const char* kStartPage = "1.htm";

  IHelp(IResonix* plug, IRECT rect);
  ~IHelp() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }

  // The help folder of an editor: "help" in its resource folder.
  static std::string HelpFolder(IGraphics* graphics);

  IResonix* effect;
};
