#pragma once

// In-place complex radix-2 transform of 2^m points held as separate real and imaginary arrays.
// dir <= 0: forward, X[k] = sum x[t] e^(-j2pi kt/n), unscaled. dir > 0: inverse, e^(+j2pi kt/n), divided by
// n. Output in natural order. Returns false, with the data unspecified, when the twiddle tables cannot be
// allocated or the arguments are unusable (null arrays, m outside 0..24); the caller reports and abandons.
bool fft(double* re, double* im, int m, int dir);

// Forward transform of 2^m real samples x[0 .. 2^m) (m in 1..24), through one complex transform of half
// the size. buf holds 2 * 2^m doubles: the samples in the first half, the second half is scratch. On
// return bins 0 .. 2^(m-1) - 1 of the spectrum sum x[t] e^(-j2pi kt/2^m) are in buf (real parts) and
// buf + 2^(m-1) (imaginary parts); the upper bins are their mirror images. Fails as fft() does.
bool fft_real(double* buf, int m);

// The nu low bits of j in reverse order; bits above nu - 1 are ignored; nu < 1 gives 0.
int ibitr(int j, int nu);
