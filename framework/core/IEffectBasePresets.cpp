// State chunks and presets of the plug-in base.

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/core/IEffectBase.h"

bool IEffectBase::SerializeParams(ByteChunk* chunk) {
  if (!chunk) return false;
  Lock lock(mMutex);
  for (const auto& param : mParams) {
    const double value = param->Value();
    chunk->Put(&value);
  }
  return chunk->Size() > 0;
}

// All values are read before any is stored: a short or damaged chunk is refused whole and the
// parameters keep their values.
int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  if (!chunk) return -1;
  Lock lock(mMutex);
  std::vector<double> values(mParams.size());
  int pos = startPos;
  for (double& value : values) {
    pos = chunk->Get(&value, pos);
    if (pos < 0 || !std::isfinite(value)) return -1;
  }
  for (size_t i = 0; i < values.size(); ++i) mParams[i]->Set(values[i]);
  OnParamReset();
  return pos;
}

void IEffectBase::InitChunkWithFrameworkVer(ByteChunk* chunk) {
  if (!chunk) return;
  chunk->Clear();
  const int magic = kChunkMagic, version = kFrameworkVersion;
  chunk->Put(&magic);
  chunk->Put(&version);
}

int IEffectBase::GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos) {
  if (!chunk || !pos) return 0;
  int magic = 0;
  if (chunk->Get(&magic, *pos) < 0 || magic != kChunkMagic) return 0;
  int version = 0;
  *pos = chunk->Get(&version, *pos + 4);
  return version;
}

bool IEffectBase::StoreCurrentState(IPreset* preset, const char* name) {
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.Clear();
  return SerializeState(&preset->mChunk);
}

void IEffectBase::MakeDefaultPreset(const char* name, int nPresets) {
  Lock lock(mMutex);
  for (int n = 0; n < nPresets; ++n) {
    IPreset* free = nullptr;
    for (IPreset& preset : mPresets) {
      if (!preset.mInitialized) {
        free = &preset;
        break;
      }
    }
    if (!free) return;
    StoreCurrentState(free, name && *name ? name : "Empty");
  }
}

void IEffectBase::EnsureDefaultPreset() {
  Lock lock(mMutex);
  for (IPreset& preset : mPresets)
    if (!preset.mInitialized) StoreCurrentState(&preset, "Empty");
}

bool IEffectBase::RestorePreset(int idx) {
  assert(!mThreadCheck.InAudioPath() && "restoring a preset is control work, never audio work");
  Lock lock(mMutex);
  IPreset* preset = GetPreset(idx);
  if (!preset) return false;
  bool restored;
  if (preset->mInitialized) {
    restored = UnserializeState(&preset->mChunk, 0) > 0;
  } else {
    int nUser = 0;
    for (const IPreset& other : mPresets)
      if (std::strstr(other.mName, "user preset")) ++nUser;
    char name[IPreset::kNameSize];
    std::snprintf(name, sizeof name, "%s %d", "user preset", nUser + 1);
    StoreCurrentState(preset, name);
    restored = true;
  }
  if (restored) {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return restored;
}

bool IEffectBase::RestorePreset(const char* name) {
  if (!name) return false;
  Lock lock(mMutex);
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(mPresets[size_t(i)].mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IEffectBase::GetPresetName(int idx) const {
  return idx >= 0 && idx < NPresets() ? mPresets[size_t(idx)].mName : "";
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
  Lock lock(mMutex);
  IPreset* preset = GetPreset(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (name && *name) preset->SetName(name);
}

bool IEffectBase::SerializePresets(ByteChunk* chunk) {
  if (!chunk) return false;
  Lock lock(mMutex);
  for (const IPreset& preset : mPresets) {
    chunk->PutStr(preset.mName);
    chunk->PutBool(preset.mInitialized);
    if (preset.mInitialized) chunk->PutChunk(&preset.mChunk);
  }
  return true;
}

// A load refused before it changed anything must keep everything, the plug-in's undo history
// included: the saved state goes back only where the refused load had changed the state.
void IEffectBase::RestoreStateIfChanged(ByteChunk* saved) {
  Lock lock(mMutex);
  ByteChunk now;
  SerializeState(&now);
  if (!now.IsEqual(*saved)) UnserializeState(saved, 0);
}

// A bank that fails part-way is refused whole: the presets and the current state are put back.
int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  if (!chunk) return -1;
  Lock lock(mMutex);
  const std::vector<IPreset> savedPresets = mPresets;
  ByteChunk savedState;
  SerializeState(&savedState);

  int pos = startPos;
  for (IPreset& preset : mPresets) {
    std::string name;
    bool initialized = false;
    pos = chunk->GetStr(&name, pos);
    if (pos >= 0) pos = chunk->GetBool(&initialized, pos);
    if (pos >= 0 && initialized) pos = UnserializeState(chunk, pos);
    if (pos < 0) break;
    preset.SetName(name.c_str());
    preset.mInitialized = initialized;
    if (initialized) {
      preset.mChunk.Clear();
      SerializeState(&preset.mChunk);
    }
  }
  if (pos < 0) {
    mPresets = savedPresets;
    RestoreStateIfChanged(&savedState);
    return -1;
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}
