// The VST2 adapter's programs: selecting and naming them, and the state and bank chunks.
#include <string>

#include "framework/hosts/vst2/IEffectVST2.h"
#include "framework/hosts/vst2/Vst2Text.h"

using namespace vst2;

VstIntPtr IEffectVST2::SetProgram(VstIntPtr idx) {
  if (idx < 0 || idx >= NPresets()) return 0;
  if (!DoesStateChunks()) ModifyCurrentPreset();
  RestorePreset(int(idx));
  return 0;
}

VstIntPtr IEffectVST2::SetProgramName(const char* name) {
  if (!name) return 0;
  ModifyCurrentPreset(name);
  PresetsChangedByHost();
  return 0;
}

VstIntPtr IEffectVST2::GetProgramName(void* dest) {
  CopyText(dest, GetPresetName(GetCurrentPresetIdx()), kVstMaxProgNameLen);
  return 0;
}

VstIntPtr IEffectVST2::GetProgramNameIndexed(int idx, void* dest) {
  if (idx < 0 || idx >= NPresets()) return 0;
  const char* name = GetPresetName(idx);
  CopyText(dest, name, kVstMaxProgNameLen);
  return name[0] ? 1 : 0;
}

VstIntPtr IEffectVST2::GetChunk(bool isBank, void** data) {
  if (!data) return 0;
  *data = nullptr;
  ByteChunk& chunk = mLentChunks[mNextLent];
  mNextLent = (mNextLent + 1) % kLentChunks;
  InitChunkWithFrameworkVer(&chunk);
  bool ok;
  if (isBank) {
    ModifyCurrentPreset();
    ok = SerializePresets(&chunk);
  } else {
    ok = SerializeState(&chunk);
  }
  if (!ok || chunk.Size() <= 0) return 0;
  *data = chunk.GetBytes();
  return chunk.Size();
}

// The state has one size for a build: a chunk too short for the states it announces is refused
// before anything is read, so a damaged chunk never leaves a half-loaded instance.
bool IEffectVST2::ChunkFits(bool isBank, ByteChunk& chunk, int pos) {
  ByteChunk current;
  if (!SerializeState(&current)) return false;
  const int stateSize = current.Size();
  if (!isBank) return pos >= 0 && chunk.Size() - pos >= stateSize;
  for (int i = 0; i < NPresets(); ++i) {
    std::string name;
    bool initialized = false;
    pos = chunk.GetStr(&name, pos);
    if (pos >= 0) pos = chunk.GetBool(&initialized, pos);
    if (pos < 0) return false;
    if (initialized) {
      if (chunk.Size() - pos < stateSize) return false;
      pos += stateSize;
    }
  }
  return true;
}

VstIntPtr IEffectVST2::SetChunk(bool isBank, const void* data, VstIntPtr size) {
  if (!data || size <= 0 || size > 0x7fffffff - ByteChunk::kGrowStep) return 0;
  // A copy of its own: hosts hand back the very buffer get-chunk lent them, which lives in
  // mLentChunks; and a refused chunk must not replace what get-chunk lends next.
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  int pos = 0;
  const int version = GetFrameworkVerFromChunk(&chunk, &pos);
  // Builds without the header stored a bare program state.
  const bool asBank = isBank && version != 0;
  if (pos < 0 || !ChunkFits(asBank, chunk, pos)) return 0;

  ByteChunk before;
  SerializeState(&before);
  if (asBank) {
    pos = UnserializePresets(&chunk, pos);  // puts back what it changed when it refuses
  } else {
    pos = UnserializeState(&chunk, pos);
    if (pos >= 0) ModifyCurrentPreset();
  }
  if (pos < 0) {
    RestoreStateIfChanged(&before);
    RedrawParamControls();
    return 0;
  }
  RedrawParamControls();
  return 1;
}
