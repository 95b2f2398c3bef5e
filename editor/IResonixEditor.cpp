#include "engine/IResonix.h"

// Placeholders until the editor is built: the instance runs without one.
void IResonix::build_editor() {}
void IResonix::from_GUI(int command) {}
void IResonix::from_drawing(int x, int y, int kind) {}
