#include "engine/IResonix.h"

// Placeholders until the undo history is wired.
void IResonix::save_to_undo() {}
void IResonix::undo() {}
void IResonix::redo() {}
void IResonix::reset_undo() {}
