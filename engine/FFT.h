#pragma once

// In-place complex radix-2 transform of 2^m points held as separate real and imaginary arrays.
// dir <= 0: forward, X[k] = sum x[t] e^(-j2pi kt/n), unscaled. dir > 0: inverse, e^(+j2pi kt/n), divided by
// n. Output in natural order. Returns false, with the data unspecified, when the twiddle tables cannot be
// allocated or the arguments are unusable (null arrays, m outside 0..24); the caller reports and abandons.
bool fft(double* re, double* im, int m, int dir);

// The nu low bits of j in reverse order; bits above nu - 1 are ignored; nu < 1 gives 0.
int ibitr(int j, int nu);
