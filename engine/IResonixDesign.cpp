#include "engine/IResonix.h"

// Placeholder until the correction design is wired: the prediction is the target itself.
void IResonix::run() {
  for (int i = 0; i < nbands; ++i) corrected[i] = target[i];
}
