#include "engine/IResonix.h"

// Placeholders until the measurement is wired.
void IResonix::start_measurement() {}
void IResonix::capture_block(const double* in, int nFrames) {}
void IResonix::MyIdle() {}
