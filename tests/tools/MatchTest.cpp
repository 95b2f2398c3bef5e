// `resonix match` on a guitar phrase heard through two different resonant bodies: the preset it
// writes, played by the plug-in, must make the one sound like the other band by band.
#include "engine/FFT.h"
#include "tests/tools/ToolFixture.h"
#include "tools/knocksynth/NoiseSource.h"
#include "tools/knocksynth/PluckedString.h"
#include "tools/resonix/EngineSession.h"

#include <algorithm>
#include <numbers>

namespace {
constexpr double kRate = 44100.0;

// A random resonant body: peaking sections of +-6 to 12 dB between 90 Hz and 6 kHz.
class RandomBody {
 public:
  RandomBody(NoiseSource& rnd, int count) {
    for (int i = 0; i < count; ++i) {
      const double f = 90.0 * std::pow(6000.0 / 90.0, 0.5 + 0.5 * rnd.white());
      const double db = (rnd.white() < 0 ? -1 : 1) * (9.0 + 3.0 * rnd.white());
      const double q = 20.0 + 15.0 * rnd.white();
      const double a = std::pow(10.0, db / 40.0), w = 2 * std::numbers::pi * f / kRate;
      const double alpha = std::sin(w) / (2 * q), a0 = 1 + alpha / a;
      sections.push_back({(1 + alpha * a) / a0, -2 * std::cos(w) / a0, (1 - alpha * a) / a0,
                          -2 * std::cos(w) / a0, (1 - alpha / a) / a0});
    }
  }
  std::vector<double> apply(std::vector<double> x, double gain) const {
    for (auto s : sections) {
      double z1 = 0, z2 = 0;
      for (double& v : x) {
        const double y = s.b0 * v + z1;
        z1 = s.b1 * v - s.a1 * y + z2;
        z2 = s.b2 * v - s.a2 * y;
        v = y;
      }
    }
    for (double& v : x) v *= gain;
    return x;
  }

 private:
  struct Section {
    double b0, b1, b2, a1, a2;
  };
  std::vector<Section> sections;
};

// Plucked notes from E2 to E5 with strums, one every 0.15 to 0.5 s, each ringing up to 3 s.
std::vector<double> dry_phrase(NoiseSource& rnd, double seconds) {
  std::vector<double> out(static_cast<size_t>(seconds * kRate), 0.0);
  for (double t = 0.0; t < seconds - 0.5; t += 0.33 + 0.17 * rnd.white()) {
    const int notes = rnd.white() > 0.7 ? 4 : 1;
    for (int k = 0; k < notes; ++k) {
      const int midi = 40 + static_cast<int>(18.0 + 17.9 * rnd.white());
      PluckedString string(440.0 * std::pow(2.0, (midi - 69) / 12.0), kRate, 2.5);
      string.pluck(0.6 + 0.3 * rnd.white(), 0.6 + 0.3 * rnd.white(), rnd);
      const auto start = static_cast<size_t>((t + 0.01 * k) * kRate);
      const size_t end = std::min(out.size(), start + static_cast<size_t>(3.0 * kRate));
      for (size_t i = start; i < end; ++i) out[i] += string.tick();
    }
  }
  return out;
}

// Semitone band levels in dB from one transform of the whole recording: a plain analysis of our
// own, not the tool's.
std::vector<double> band_db(const std::vector<double>& x, const EngineSession::BandGrid& grid) {
  int log2 = 1;
  while ((size_t(1) << log2) < x.size()) ++log2;
  std::vector<double> buf(size_t(2) << log2, 0.0);
  std::copy(x.begin(), x.end(), buf.begin());
  EXPECT_TRUE(fft_real(buf.data(), log2));
  const size_t half = size_t(1) << (log2 - 1);
  const double bin_hz = kRate / double(size_t(1) << log2);
  std::vector<double> db(grid.n);
  for (int i = 0; i < grid.n; ++i) {
    const auto lo = static_cast<size_t>((i ? grid.edge[i - 1] : grid.freq[0]) / bin_hz);
    const auto hi = std::min(half, static_cast<size_t>(grid.edge[std::min(i, grid.n - 2)] / bin_hz));
    double p = 1e-300;
    for (size_t k = lo; k < hi; ++k) p += buf[k] * buf[k] + buf[half + k] * buf[half + k];
    db[i] = 10 * std::log10(p);
  }
  return db;
}

// RMS of the level difference over 82 Hz to 8.4 kHz, its mean (the overall level) removed.
double rms_apart(const std::vector<double>& a, const std::vector<double>& b,
                 const EngineSession::BandGrid& grid) {
  std::vector<double> d;
  for (int i = 0; i < grid.n; ++i)
    if (grid.freq[i] >= 82.0 && grid.freq[i] <= 8400.0) d.push_back(a[i] - b[i]);
  double mean = 0, sq = 0;
  for (double v : d) mean += v / d.size();
  for (double v : d) sq += (v - mean) * (v - mean) / d.size();
  return std::sqrt(sq);
}
}  // namespace

TEST_F(ToolTest, MatchTurnsOneBodyIntoAnother) {
  EngineSession probe;
  const EngineSession::BandGrid grid = probe.band_grid();
  for (uint64_t seed : {1, 2, 3}) {
    NoiseSource rnd(seed * 7919);
    const std::vector<double> dry = dry_phrase(rnd, 20.0);
    const RandomBody pickup(rnd, 8), mic(rnd, 8);
    auto source = pickup.apply(dry, 1.0), reference = mic.apply(dry, 1.0);
    const auto peak = [](const std::vector<double>& x) {
      double m = 0;
      for (double v : x) m = std::max(m, std::fabs(v));
      return m;
    };
    // Different overall levels, and the reference in stereo.
    const double s_gain = 0.5 / peak(source), r_gain = 0.12 / peak(reference);
    for (double& v : source) v *= s_gain;
    std::vector<double> stereo;
    for (double v : reference) stereo.insert(stereo.end(), {v * r_gain * 0.8, v * r_gain * 1.2});
    write_audio(path("pickup.wav"), source, int(kRate), 1);
    write_audio(path("mic.wav"), stereo, int(kRate), 2);

    const auto r = tool({"match", path("pickup.wav"), path("mic.wav"), "-o", path("m.rzn")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tool({"info", path("m.rzn")}).status, 0);

    // Played through the plug-in's own cascade, as `resonix apply` and a host would.
    EngineSession player;
    player.set_sample_rate(kRate);
    std::string error;
    ASSERT_TRUE(player.load_preset(path("m.rzn"), &error)) << error;
    std::vector<double> corrected(source.size());
    player.process(source.data(), corrected.data(), int(source.size()));

    const auto ref_db = band_db(reference, grid);
    const double before = rms_apart(band_db(source, grid), ref_db, grid);
    const double after = rms_apart(band_db(corrected, grid), ref_db, grid);
    EXPECT_GT(before, 3.0) << "seed " << seed << ": the bodies should differ";
    EXPECT_LT(after, 1.5) << "seed " << seed << " (" << before << " dB before)\n" << r.out;
    std::printf("seed %d: %.2f dB RMS apart, %.2f dB after the match\n%s", int(seed), before, after,
                r.out.c_str());
  }
}

TEST_F(ToolTest, MatchRefusesWhatAMeasurementRefuses) {
  const auto sine = [](double seconds, double level, int rate = 44100) {
    std::vector<double> x(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < x.size(); ++i) x[i] = level * std::sin(0.05 * double(i));
    return x;
  };
  write_audio(path("ok.wav"), sine(3.0, 0.5), 44100, 1);
  write_audio(path("short.wav"), sine(1.9, 0.5), 44100, 1);
  write_audio(path("silent.wav"), sine(3.0, 0.0), 44100, 1);
  write_audio(path("clipped.wav"), sine(3.0, 1.2), 44100, 1);
  write_audio(path("low.wav"), sine(3.0, 0.5, 32000), 32000, 1);
  const struct {
    const char* file;
    const char* says;
  } cases[] = {{"short.wav", "too short"},
               {"silent.wav", "The sound is too silent or absent!"},
               {"clipped.wav", "The sound is too loud!"},
               {"low.wav", "32000 Hz"},
               {"none.wav", "no such file"}};
  for (const auto& c : cases)
    for (bool as_source : {true, false}) {
      const std::string out = path("m.rzn");
      const auto r = as_source ? tool({"match", path(c.file), path("ok.wav"), "-o", out})
                               : tool({"match", path("ok.wav"), path(c.file), "-o", out});
      EXPECT_EQ(r.status, 2) << c.file;
      EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
      EXPECT_FALSE(std::filesystem::exists(out)) << c.file;
    }
  EXPECT_EQ(tool({"match", path("ok.wav"), path("ok.wav")}).status, 1) << "-o is required";
  EXPECT_EQ(tool({"match", path("ok.wav"), path("ok.wav"), "-o", path("no/such/dir/m.rzn")}).status, 3);
}
