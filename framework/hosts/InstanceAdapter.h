#pragma once
// Picks the host adapter the plug-in class derives from. Every adapter has the same constructor:
// (IInstanceInfo, nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
//  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst), and defines IInstanceInfo.

#if defined(RESONIX_HOST_VST3)
#include "framework/hosts/vst3/IEffectVST3.h"
using IPlugAdapter = IEffectVST3;
#elif defined(RESONIX_HOST_VST2)
#include "framework/hosts/vst2/IEffectVST2.h"
using IPlugAdapter = IEffectVST2;
#elif defined(RESONIX_HOST_LV2)
#include "framework/hosts/lv2/IEffectLV2.h"
using IPlugAdapter = IEffectLV2;
#else
#include "framework/hosts/headless/IEffectHeadless.h"
using IPlugAdapter = IEffectHeadless;
#endif
