// How the module entry points make an instance of Korvane Resonix.

#include "engine/Notice.h"
#include "framework/hosts/PlugEntry.h"
#include "plugin/IResonix.h"
#if defined(RESONIX_HOST_VST3) && defined(_WIN32)
#include "framework/graphics/win/IGraphicsWin.h"
using PlatformWindow = IGraphicsWin;
#elif defined(RESONIX_HOST_VST3) || defined(RESONIX_HOST_LV2)
#include "framework/graphics/linux/IGraphicsLinux.h"
using PlatformWindow = IGraphicsLinux;
#endif

IPlugAdapter* CreatePlugInstance(IInstanceInfo info) noexcept {
#if defined(RESONIX_HOST_VST3) || defined(RESONIX_HOST_LV2)
  // Notices of an instance without an editor appear as the editor's would.
  static const bool hooked = (set_notice_hook(&PlatformWindow::ShowNotice), true);
  (void)hooked;
#endif
  try {
    return new IResonix(std::move(info));
  } catch (...) {
    // Out of memory while constructing: the host is told there is no plug-in.
    return nullptr;
  }
}
