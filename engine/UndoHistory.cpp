#include "engine/UndoHistory.h"

#include <algorithm>
#include <cstring>

UndoHistory::UndoHistory(int nbands) : nbands(std::clamp(nbands, 1, (SNAPSHOT_STRIDE - 1) / 2)) {}

void UndoHistory::write(int slot, const double* measured, const double* target_shape, double vslider_pos) {
  double* s = undo_slots[slot];
  std::memcpy(s, measured, sizeof(double) * nbands);
  std::memcpy(s + nbands, target_shape, sizeof(double) * nbands);
  s[2 * nbands] = vslider_pos;
}

void UndoHistory::reset(const double* measured, const double* target_shape, double vslider_pos) {
  undo_pos = undo_top = 0;
  write(0, measured, target_shape, vslider_pos);
}

void UndoHistory::push(const double* measured, const double* target_shape, double vslider_pos) {
  if (++undo_pos == UNDO_DEPTH) {
    undo_pos = UNDO_DEPTH - 1;
    std::memmove(undo_slots[0], undo_slots[1], sizeof(undo_slots[0]) * (UNDO_DEPTH - 1));
  }
  undo_top = undo_pos;
  write(undo_pos, measured, target_shape, vslider_pos);
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
  const double* s = undo_slots[undo_pos];
  std::memcpy(measured, s, sizeof(double) * nbands);
  std::memcpy(target_shape, s + nbands, sizeof(double) * nbands);
  *vslider_pos = s[2 * nbands];
}
