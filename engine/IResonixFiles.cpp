#include "engine/IResonix.h"

// Placeholders until preset files are wired.
void IResonix::save_dialog() {}
void IResonix::load_dialog() {}
void IResonix::load_target_dialog() {}
