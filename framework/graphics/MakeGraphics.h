#pragma once
// Creates the platform editor of the deliverable the plug-in class is compiled for.

#include "framework/graphics/IGraphics.h"

#if (defined(RESONIX_HOST_VST3) || defined(RESONIX_HOST_VST2)) && defined(_WIN32)
#include "framework/graphics/win/IGraphicsWin.h"
inline IGraphics* MakeGraphics(IEffectBase* plug, int w, int h, int fps = 0) {
  return new IGraphicsWin(plug, w, h, fps);
}
#elif (defined(RESONIX_HOST_VST3) || defined(RESONIX_HOST_VST2) || defined(RESONIX_HOST_LV2)) && \
    __has_include("framework/graphics/linux/IGraphicsLinux.h")
#include "framework/graphics/linux/IGraphicsLinux.h"
inline IGraphics* MakeGraphics(IEffectBase* plug, int w, int h, int fps = 0) {
  return new IGraphicsLinux(plug, w, h, fps);
}
#else
#include "framework/graphics/headless/IGraphicsHeadless.h"
inline IGraphics* MakeGraphics(IEffectBase* plug, int w, int h, int fps = 0) {
  return new IGraphicsHeadless(plug, w, h, fps);
}
#endif
