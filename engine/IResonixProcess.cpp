#include <cstring>

#include "engine/IResonix.h"

// Placeholder until the cascade is wired: measurement capture, otherwise the input passes.
void IResonix::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0 || !outputs || !outputs[0]) return;
  if (measuring.load(std::memory_order_acquire)) {
    if (inputs && inputs[0]) capture_block(inputs[0], nFrames);
    std::memset(outputs[0], 0, sizeof(double) * size_t(nFrames));
    return;
  }
  if (inputs && inputs[0]) {
    if (outputs[0] != inputs[0]) std::memmove(outputs[0], inputs[0], sizeof(double) * size_t(nFrames));
  } else {
    std::memset(outputs[0], 0, sizeof(double) * size_t(nFrames));
  }
}
