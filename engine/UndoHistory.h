#pragma once

#include <memory>

// The undo ring of one instance: up to 100 snapshots of the two stored curves and the vertical
// slider position. Snapshot `pos()` always equals the current state; Redo may walk up to `top()`.
// Until the first edit only snapshot 0 exists and lives inline; the ring (190 KB) is allocated by the
// first push, since most instances in a session are never edited.
class UndoHistory {
 public:
  static constexpr int UNDO_DEPTH = 100;
  static constexpr int SNAPSHOT_STRIDE = 241;  // 2 x 120 bands + the slider

  // nbands is clamped to 1..120; snapshots are laid out from it (curve, shape, slider).
  explicit UndoHistory(int nbands = 120);

  // Forgets every step: the history holds one snapshot, the given state.
  void reset(const double* measured, const double* target_shape, double vslider_pos);

  // Records the state after an edit. Discards what Redo could still have reached; when the ring
  // is full the oldest snapshot is lost. If the ring cannot be allocated the edit is not recorded
  // (false) and the history stays as it was.
  bool push(const double* measured, const double* target_shape, double vslider_pos);

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
  double* slot(int i) { return ring ? ring[i] : first; }
  const double* slot(int i) const { return ring ? ring[i] : first; }

  int nbands;
  int undo_pos = 0;
  int undo_top = 0;
  double first[SNAPSHOT_STRIDE] = {};
  std::unique_ptr<double[][SNAPSHOT_STRIDE]> ring;
};
