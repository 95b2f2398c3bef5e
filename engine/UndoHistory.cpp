#include "engine/UndoHistory.h"

#include <algorithm>
#include <cstring>
#include <new>

UndoHistory::UndoHistory(int nbands) : nbands(std::clamp(nbands, 1, (SNAPSHOT_STRIDE - 1) / 2)) {}

void UndoHistory::write(int slot, const double* measured, const double* target_shape, double vslider_pos) {
  double* s = this->slot(slot);
  std::memcpy(s, measured, sizeof(double) * nbands);
  std::memcpy(s + nbands, target_shape, sizeof(double) * nbands);
  s[2 * nbands] = vslider_pos;
}

void UndoHistory::reset(const double* measured, const double* target_shape, double vslider_pos) {
  undo_pos = undo_top = 0;
  write(0, measured, target_shape, vslider_pos);
}

bool UndoHistory::push(const double* measured, const double* target_shape, double vslider_pos) {
  if (!ring) {
    ring.reset(new (std::nothrow) double[UNDO_DEPTH][SNAPSHOT_STRIDE]);
    if (!ring) return false;
    std::memcpy(ring[0], first, sizeof first);
  }
  if (++undo_pos == UNDO_DEPTH) {
    undo_pos = UNDO_DEPTH - 1;
    std::memmove(ring[0], ring[1], sizeof(ring[0]) * (UNDO_DEPTH - 1));
  }
  undo_top = undo_pos;
  write(undo_pos, measured, target_shape, vslider_pos);
  return true;
}

bool UndoHistory::undo() {
  if (undo_pos < 1) return false;
  --undo_pos;
  return true;
}

bool UndoHistory::redo() {
  if (undo_pos >= undo_top) return false;
  ++undo_pos;
  return true;
}

void UndoHistory::current(double* measured, double* target_shape, double* vslider_pos) const {
  const double* s = slot(undo_pos);
  std::memcpy(measured, s, sizeof(double) * nbands);
  std::memcpy(target_shape, s + nbands, sizeof(double) * nbands);
  *vslider_pos = s[2 * nbands];
}
