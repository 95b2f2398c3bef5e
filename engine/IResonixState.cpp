#include "engine/IResonix.h"

// Placeholders until the curve payload is wired: the state is the parameter values alone.
bool IResonix::SerializeState(ByteChunk* chunk) {
  Lock lock(mMutex);
  return SerializeParams(chunk);
}

int IResonix::UnserializeState(ByteChunk* chunk, int startPos) {
  Lock lock(mMutex);
  return UnserializeParams(chunk, startPos);
}

void IResonix::PresetsChangedByHost() {}
