// X[k] = sum_t x[t] e^(-j2pi kt/n) for n = 2^m points (the inverse: e^(+j2pi kt/n), divided by n), as
// m stages of radix-2 butterflies on the data in natural order, then the bit-reversal permutation.
// The textbook loop, which the kernels below must equal bit for bit (rev(g, b) reverses the b low
// bits of g; the table holds the cosine as sin(x + pi/2)):
//
//   for (int l = 0; l < m; ++l) {  // stage l: 2^l groups of 2h = n >> l points, one twiddle each
//     const size_t h = n >> (l + 1);
//     for (size_t g = 0; g < (size_t(1) << l); ++g) {
//       const double x = 2 * pi * rev(g, m - 1) / n;
//       const double c = sin(x + pi / 2), s = sin(x) * (inverse ? -1 : 1);
//       for (size_t k = 2 * h * g; k < 2 * h * g + h; ++k) {
//         const double tr = re[k + h] * c + im[k + h] * s, ti = im[k + h] * c - re[k + h] * s;
//         re[k + h] = re[k] - tr, im[k + h] = im[k] - ti;
//         re[k] = re[k] + tr, im[k] = im[k] + ti;
//       }
//     }
//   }
//   then swap i and rev(i, m) for every i < rev(i, m); the inverse multiplies all by 1/n (exact).
//
// The twiddle of group g is the same in every stage, so one table in bit-reversed order serves them
// all and each stage walks it sequentially. Two stages are fused per pass over memory, and once a
// group fits in cache all its remaining stages are done before moving on. Each butterfly performs
// the same operations on the same twiddle values as the loop above, so the results are identical.
// The compiler vectorises the butterflies, once per instruction set (SimdLanes.h).

#include "engine/FFT.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>

#include "engine/SimdLanes.h"

namespace {

constexpr int kMaxLog2 = 24;  // 16M points; tables of 128 MiB, kept once built
// Groups of at most this many points (re + im = 256 KiB) finish all their stages in cache.
constexpr std::size_t kBlock = std::size_t(1) << 14;

struct Twiddles {
  std::unique_ptr<double[]> c, s;
};

std::size_t reverse_bits(std::size_t j, int nu) {
  std::size_t r = 0;
  for (int b = 0; b < nu; ++b) {
    r = (r << 1) | (j & 1);
    j >>= 1;
  }
  return r;
}

// Tables are kept per size for the life of the process: the analysis transforms 2^19 points at
// every measurement and building the table costs more than the transform. fill(k, c, s) writes
// entry k of `count`; null when the memory is not there.
template <typename Fill>
const Twiddles* kept_table(Twiddles (&tables)[kMaxLog2 + 1], std::mutex& mutex, int m, std::size_t count,
                           Fill fill) {
  std::lock_guard<std::mutex> lock(mutex);
  Twiddles& t = tables[m];
  if (t.c) return &t;
  std::unique_ptr<double[]> c(new (std::nothrow) double[count]);
  std::unique_ptr<double[]> s(new (std::nothrow) double[count]);
  if (!c || !s) return nullptr;
  for (std::size_t k = 0; k < count; ++k) fill(k, c[k], s[k]);
  t.c = std::move(c);
  t.s = std::move(s);
  return &t;
}

// The transform's twiddles, in bit-reversed order of the groups.
const Twiddles* twiddles_for(int m) {
  static std::mutex mutex;
  static Twiddles tables[kMaxLog2 + 1];
  const std::size_t n = std::size_t(1) << m;
  return kept_table(tables, mutex, m, m > 0 ? n / 2 : 1, [&](std::size_t g, double& c, double& s) {
    const double p = double(reverse_bits(g, m - 1));
    s = std::sin(2 * std::numbers::pi * p / double(n));
    c = std::sin(2 * std::numbers::pi * p / double(n) + std::numbers::pi / 2);
  });
}

// cos and sin of 2pi k/2^m for k = 0 .. 2^(m-2): the twiddles that split a half-size complex
// transform into the spectrum of a real signal.
const Twiddles* split_twiddles_for(int m) {
  static std::mutex mutex;
  static Twiddles tables[kMaxLog2 + 1];
  const std::size_t n = std::size_t(1) << m;
  return kept_table(tables, mutex, m, n / 4 + 1, [&](std::size_t k, double& c, double& s) {
    c = std::cos(2 * std::numbers::pi * double(k) / double(n));
    s = std::sin(2 * std::numbers::pi * double(k) / double(n));
  });
}

struct Data {
  double* re;
  double* im;
  const double* tc;
  const double* ts;
  double sign;  // -1 negates the twiddle's sine for the inverse
};

SIMD_INLINE void butterfly(double& xr, double& xi, double& yr, double& yi, double c, double s) {
  const double tr = yr * c + yi * s;
  const double ti = yi * c - yr * s;
  yr = xr - tr;
  yi = xi - ti;
  xr = xr + tr;
  xi = xi + ti;
}

// One stage over `count` consecutive groups of size 2h starting with group g0 at `base`.
SIMD_INLINE void radix2_body(const Data& d, std::size_t base, std::size_t count, std::size_t h,
                             std::size_t g0) {
  for (std::size_t g = 0; g < count; ++g) {
    double* __restrict ar = d.re + base + 2 * h * g;
    double* __restrict ai = d.im + base + 2 * h * g;
    double* __restrict br = ar + h;
    double* __restrict bi = ai + h;
    const double c = d.tc[g0 + g], s = d.ts[g0 + g] * d.sign;
    for (std::size_t k = 0; k < h; ++k) butterfly(ar[k], ai[k], br[k], bi[k], c, s);
  }
}

// Two stages over `count` consecutive groups of size 4q starting with group g0 (of the first stage).
SIMD_INLINE void radix4_body(const Data& d, std::size_t base, std::size_t count, std::size_t q,
                             std::size_t g0) {
  for (std::size_t g = 0; g < count; ++g) {
    double* __restrict ar = d.re + base + 4 * q * g;
    double* __restrict ai = d.im + base + 4 * q * g;
    double* __restrict br = ar + q;
    double* __restrict bi = ai + q;
    double* __restrict cr = ar + 2 * q;
    double* __restrict ci = ai + 2 * q;
    double* __restrict dr = ar + 3 * q;
    double* __restrict di = ai + 3 * q;
    const std::size_t gg = g0 + g;
    const double c1 = d.tc[gg], s1 = d.ts[gg] * d.sign;
    const double c2 = d.tc[2 * gg], s2 = d.ts[2 * gg] * d.sign;
    const double c3 = d.tc[2 * gg + 1], s3 = d.ts[2 * gg + 1] * d.sign;
    for (std::size_t k = 0; k < q; ++k) {
      double xar = ar[k], xai = ai[k], xbr = br[k], xbi = bi[k];
      double xcr = cr[k], xci = ci[k], xdr = dr[k], xdi = di[k];
      butterfly(xar, xai, xcr, xci, c1, s1);
      butterfly(xbr, xbi, xdr, xdi, c1, s1);
      butterfly(xar, xai, xbr, xbi, c2, s2);
      butterfly(xcr, xci, xdr, xdi, c3, s3);
      ar[k] = xar, ai[k] = xai, br[k] = xbr, bi[k] = xbi;
      cr[k] = xcr, ci[k] = xci, dr[k] = xdr, di[k] = xdi;
    }
  }
}

// The last two stages (groups of four points), written across groups so that they vectorise.
SIMD_INLINE void radix4_last_body(const Data& d, std::size_t base, std::size_t count, std::size_t g0) {
  double* __restrict re = d.re + base;
  double* __restrict im = d.im + base;
  for (std::size_t g = 0; g < count; ++g) {
    const std::size_t gg = g0 + g;
    const double c1 = d.tc[gg], s1 = d.ts[gg] * d.sign;
    const double c2 = d.tc[2 * gg], s2 = d.ts[2 * gg] * d.sign;
    const double c3 = d.tc[2 * gg + 1], s3 = d.ts[2 * gg + 1] * d.sign;
    double xar = re[4 * g], xai = im[4 * g], xbr = re[4 * g + 1], xbi = im[4 * g + 1];
    double xcr = re[4 * g + 2], xci = im[4 * g + 2], xdr = re[4 * g + 3], xdi = im[4 * g + 3];
    butterfly(xar, xai, xcr, xci, c1, s1);
    butterfly(xbr, xbi, xdr, xdi, c1, s1);
    butterfly(xar, xai, xbr, xbi, c2, s2);
    butterfly(xcr, xci, xdr, xdi, c3, s3);
    re[4 * g] = xar, im[4 * g] = xai, re[4 * g + 1] = xbr, im[4 * g + 1] = xbi;
    re[4 * g + 2] = xcr, im[4 * g + 2] = xci, re[4 * g + 3] = xdr, im[4 * g + 3] = xdi;
  }
}

struct Kernels {
  void (*radix2)(const Data&, std::size_t, std::size_t, std::size_t, std::size_t);
  void (*radix4)(const Data&, std::size_t, std::size_t, std::size_t, std::size_t);
  void (*radix4_last)(const Data&, std::size_t, std::size_t, std::size_t);
};

#define FFT_KERNELS(suffix, level, lanes, target)                                                          \
  target void radix2_##suffix(const Data& d, std::size_t b, std::size_t n, std::size_t h, std::size_t g) { \
    radix2_body(d, b, n, h, g);                                                                            \
  }                                                                                                        \
  target void radix4_##suffix(const Data& d, std::size_t b, std::size_t n, std::size_t q, std::size_t g) { \
    radix4_body(d, b, n, q, g);                                                                            \
  }                                                                                                        \
  target void radix4_last_##suffix(const Data& d, std::size_t b, std::size_t n, std::size_t g) {           \
    radix4_last_body(d, b, n, g);                                                                          \
  }                                                                                                        \
  const Kernels kernels_##suffix = {radix2_##suffix, radix4_##suffix, radix4_last_##suffix};
SIMD_FOR_EACH_LEVEL(FFT_KERNELS)

const Kernels& pick_kernels() {
  return SIMD_PICK(kernels);
}

// Every remaining stage, from stage l on, of the consecutive groups covering [base, base + size).
void stages_in_place(const Kernels& k, const Data& d, int m, std::size_t base, std::size_t size, int l) {
  const std::size_t n = std::size_t(1) << m;
  for (; l + 1 < m; l += 2) {
    const std::size_t group = n >> l;
    if (group == 4)
      k.radix4_last(d, base, size / 4, base / 4);
    else
      k.radix4(d, base, size / group, group / 4, base / group);
  }
  if (l < m) k.radix2(d, base, size / 2, 1, base / 2);
}

// Group g of stage l, occupying [base, base + size): fuse two stages per pass until it fits in cache.
void transform_group(const Kernels& k, const Data& d, int m, std::size_t base, std::size_t size, int l,
                     std::size_t g) {
  if (size <= kBlock || l + 1 >= m) {
    stages_in_place(k, d, m, base, size, l);
    return;
  }
  k.radix4(d, base, 1, size / 4, g);
  for (std::size_t j = 0; j < 4; ++j)
    transform_group(k, d, m, base + j * (size / 4), size / 4, l + 2, 4 * g + j);
}

// Swap every pair of bit-reversed indices. Works on tiles so that both sides of the swaps stay in
// cache: index = hi | mid | lo, and reversing it maps (hi, mid, lo) to (rev lo, rev mid, rev hi).
void bit_reverse_order(double* re, double* im, int m) {
  const std::size_t n = std::size_t(1) << m;
  if (m < 12) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t j = reverse_bits(i, m);
      if (i < j) {
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
      }
    }
    return;
  }
  const int t = 4;  // tile edge bits
  const int mid = m - 2 * t;
  const std::size_t tn = std::size_t(1) << t;
  std::size_t rev_t[1 << t];
  for (std::size_t i = 0; i < tn; ++i) rev_t[i] = reverse_bits(i, t);
  for (std::size_t c = 0; c < (std::size_t(1) << mid); ++c) {
    const std::size_t rc = reverse_bits(c, mid);
    if (rc < c) continue;
    for (std::size_t a = 0; a < tn; ++a) {
      for (std::size_t b = 0; b < tn; ++b) {
        const std::size_t i = (a << (mid + t)) | (c << t) | b;
        const std::size_t j = (rev_t[b] << (mid + t)) | (rc << t) | rev_t[a];
        // Tiles with rc != c are visited once (from the smaller c), so every pair swaps there.
        if (rc != c || i < j) {
          std::swap(re[i], re[j]);
          std::swap(im[i], im[j]);
        }
      }
    }
  }
}

}  // namespace

int ibitr(int j, int nu) {
  if (nu < 1) return 0;
  if (nu > 31) nu = 31;
  return int(reverse_bits(std::size_t(unsigned(j)), nu));
}

bool fft(double* re, double* im, int m, int dir) {
  if (!re || !im || m < 0 || m > kMaxLog2) return false;
  const Twiddles* tw = twiddles_for(m);
  if (!tw) return false;
  static const Kernels& kernels = pick_kernels();
  const std::size_t n = std::size_t(1) << m;
  const Data d{re, im, tw->c.get(), tw->s.get(), dir > 0 ? -1.0 : 1.0};
  if (m > 0) {
    transform_group(kernels, d, m, 0, n, 0, 0);
    bit_reverse_order(re, im, m);
  }
  if (dir > 0) {
    const double scale = 1.0 / double(n);  // a power of two: exact, same as dividing by n
    for (std::size_t i = 0; i < n; ++i) {
      re[i] *= scale;
      im[i] *= scale;
    }
  }
  return true;
}

// The even samples become the real parts and the odd ones the imaginary parts of a signal of half
// the length; its transform Z gives the spectra of both halves, E[k] = (Z[k] + conj Z[h-k]) / 2 and
// O[k] = (Z[k] - conj Z[h-k]) / 2j, and X[k] = E[k] + W^k O[k], X[h-k] = conj(E[k] - W^k O[k]).
bool fft_real(double* buf, int m) {
  if (!buf || m < 1 || m > kMaxLog2) return false;
  const std::size_t n = std::size_t(1) << m, h = n / 2;
  const Twiddles* w = split_twiddles_for(m);
  if (!w) return false;
  double* zr = buf + n;
  double* zi = buf + n + h;
  for (std::size_t t = 0; t < h; ++t) {
    zr[t] = buf[2 * t];
    zi[t] = buf[2 * t + 1];
  }
  if (!fft(zr, zi, m - 1, -1)) return false;
  double* xr = buf;
  double* xi = buf + h;
  xr[0] = zr[0] + zi[0];
  xi[0] = 0.0;
  const double* wc = w->c.get();
  const double* ws = w->s.get();
  for (std::size_t k = 1; k <= h / 2; ++k) {
    const double ar = zr[k], ai = zi[k], br = zr[h - k], bi = zi[h - k];
    const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
    const double or_ = 0.5 * (ai + bi), oi = 0.5 * (br - ar);
    const double c = wc[k], s = ws[k];
    const double wr = c * or_ + s * oi, wi = c * oi - s * or_;
    xr[k] = er + wr;
    xi[k] = ei + wi;
    if (k != h - k) {
      xr[h - k] = er - wr;
      xi[h - k] = wi - ei;
    }
  }
  return true;
}
