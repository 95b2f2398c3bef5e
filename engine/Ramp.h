#pragma once
// A value moving from one level to another over a fixed number of samples along a smoothstep: its
// slope is zero at both ends, so neither the start nor the end of a change is a corner in the signal.
// Progress is counted in samples, so the same ramp gives the same values however the blocks fall.
struct Ramp {
  double from = 0.0;
  double to = 0.0;
  int pos = 0;  // samples already played
  int len = 0;  // the ramp runs while pos < len; after it the value is exactly `to`

  bool active() const { return pos < len; }
  int left() const { return len - pos; }
  // The value at sample j of the part not yet played (pos + j < len).
  double at(int j) const {
    const double x = double(pos + j + 1) / double(len + 1);
    return from + (to - from) * (x * x * (3.0 - 2.0 * x));
  }
  // The value last played.
  double current() const { return !active() ? to : pos == 0 ? from : at(-1); }
  void advance(int n) { pos = active() ? pos + n : pos; }
  // Holds `value` at once, without a ramp.
  void snap(double value) {
    from = to = value;
    pos = len = 0;
  }
  // Moves from what is playing now to `value` over `samples`.
  void retarget(double value, int samples) {
    from = current();
    to = value;
    pos = 0;
    len = samples;
  }
};
