#pragma once

// The undo ring of one instance: up to 100 snapshots of the two stored curves and the vertical
// slider position, in fixed storage. Snapshot `pos()` always equals the current state; Redo may
// walk up to `top()`.
class UndoHistory {
 public:
  static constexpr int UNDO_DEPTH = 100;
  static constexpr int SNAPSHOT_STRIDE = 241;  // 2 x 120 bands + the slider

  // nbands is clamped to 1..120; snapshots are laid out from it (curve, shape, slider).
  explicit UndoHistory(int nbands = 120);

  // Forgets every step: the history holds one snapshot, the given state.
  void reset(const double* measured, const double* target_shape, double vslider_pos);

  // Records the state after an edit. Discards what Redo could still have reached; when the ring
  // is full the oldest snapshot is lost.
  void push(const double* measured, const double* target_shape, double vslider_pos);

  // Step back or forward; false (and nothing moves) at the ends of the history.
  bool undo();
  bool redo();

  // The snapshot the history stands on, copied out.
  void current(double* measured, double* target_shape, double* vslider_pos) const;

  int pos() const { return undo_pos; }
  int top() const { return undo_top; }
  int bands() const { return nbands; }

 private:
  void write(int slot, const double* measured, const double* target_shape, double vslider_pos);

  int nbands;
  int undo_pos = 0;
  int undo_top = 0;
  double undo_slots[UNDO_DEPTH][SNAPSHOT_STRIDE] = {};
};
