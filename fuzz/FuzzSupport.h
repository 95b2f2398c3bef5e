#pragma once
// What every fuzz target shares: how a broken property is reported, a private home folder for the
// instances (they make their preset folder there) and the audio they are checked with.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

// A broken property is a crash for libFuzzer: the input is kept and reported.
[[noreturn]] inline void fuzz_fail(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

// Once per process, before the first instance: HOME becomes a fresh folder, never the user's.
inline bool use_private_home() {
  static const bool done = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/resonix-fuzz-home-XXXXXX";
    return mkdtemp(folder.data()) && setenv("HOME", folder.c_str(), 1) == 0;
  }();
  return done;
}

// A block of knocks over a quiet tone.
template <typename Sample>
std::vector<Sample> knock_block(int n) {
  std::vector<Sample> in(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) in[size_t(i)] = Sample((i % 97 == 0 ? 0.9 : 0.0) + 0.01 * std::sin(0.05 * i));
  return in;
}

template <typename Sample>
void require_finite(const std::vector<Sample>& out) {
  for (Sample v : out)
    if (!std::isfinite(v)) fuzz_fail("accepted state plays non-finite audio");
}
