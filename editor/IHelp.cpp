#include "editor/IHelp.h"

#include <filesystem>
#include <system_error>

#include "editor/EditorLink.h"
#include "framework/core/IEffectBase.h"
#include "framework/graphics/IGraphics.h"
#if defined(_WIN32)
#include "framework/graphics/win/WinHelpPages.h"
#endif

IHelp::IHelp(EditorLink* link, IRECT rect) : IControl(link->link_base(), rect), effect(link) {}

IHelp::~IHelp() = default;

std::string IHelp::HelpFolder(IGraphics* graphics) {
  return (std::filesystem::path(graphics->GetResourceFolder()) / "help").string();
}

// The pages lie in the bundle's resources and are opened where they are. The path goes to the
// platform as one argument of the opener, never through a shell, so spaces and quotes are harmless.
// On Windows they are resources of the plug-in file, written out first.
void IHelp::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* graphics = mPlug->GetGUI();
  if (!graphics) return;
#if defined(_WIN32)
  WinHelpPages::Open(graphics);
#else
  const std::filesystem::path page = std::filesystem::path(HelpFolder(graphics)) / kStartPage;
  std::error_code error;
  if (!std::filesystem::is_regular_file(page, error)) {
    effect->notify("Help not found");
    return;
  }
  graphics->OpenURL(page.c_str());
#endif
}
