#pragma once
// The product version, written once: the build (CMake reads these three lines), the plug-in's
// vendor version, the VST3 factory, the tool and the release packages all take it from here.
#define RESONIX_VERSION_MAJOR 1
#define RESONIX_VERSION_MINOR 1
#define RESONIX_VERSION_PATCH 9

#define RESONIX_VERSION_TEXT_(a, b, c) #a "." #b "." #c
#define RESONIX_VERSION_TEXT_OF(a, b, c) RESONIX_VERSION_TEXT_(a, b, c)

// "1.1.9"
inline constexpr const char* kResonixVersionText =
    RESONIX_VERSION_TEXT_OF(RESONIX_VERSION_MAJOR, RESONIX_VERSION_MINOR, RESONIX_VERSION_PATCH);
// 0x10109: (major << 16) + (minor << 8) + patch
inline constexpr int kResonixVersion =
    (RESONIX_VERSION_MAJOR << 16) + (RESONIX_VERSION_MINOR << 8) + RESONIX_VERSION_PATCH;
