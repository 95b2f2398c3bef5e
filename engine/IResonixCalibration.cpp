#include "engine/IResonix.h"

// Placeholder until calibration files are read: a flat microphone.
void IResonix::load_calibration() {
  for (int i = 0; i < nbands; ++i) calibration[i] = 1.0;
}
