#pragma once
// One preset of the instance: a name, whether it holds a state, and that state.

#include "framework/core/ByteChunk.h"

struct IPreset {
  static constexpr int kNameSize = 256;

  IPreset();
  void SetName(const char* name);

  bool mInitialized = false;
  char mName[kNameSize] = {};
  ByteChunk mChunk;
};
