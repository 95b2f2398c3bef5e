#include "tools/knocksynth/PhraseSynth.h"

#include "tools/knocksynth/BodyModel.h"
#include "tools/knocksynth/NoiseSource.h"
#include "tools/knocksynth/PluckedString.h"

#include <algorithm>
#include <cmath>
#include <memory>

std::vector<PhraseSynth::Note> PhraseSynth::e_minor_phrase() {
  std::vector<Note> notes = {
      {0.00, 40, 0.9}, {0.35, 47, 0.7}, {0.70, 52, 0.7},  {1.05, 55, 0.7}, {1.40, 59, 0.75}, {1.75, 64, 0.8},
      {2.45, 66, 0.7}, {2.80, 67, 0.8}, {3.15, 66, 0.65}, {3.50, 64, 0.7}, {3.85, 62, 0.6},  {4.20, 59, 0.75},
  };
  // A down-strum of the open E minor chord, the strings 12 ms apart.
  const int chord[] = {40, 47, 52, 55, 59, 64};
  for (int i = 0; i < 6; ++i) notes.push_back({4.90 + 0.012 * i, chord[i], 0.85});
  return notes;
}

std::vector<double> PhraseSynth::render(const std::vector<Note>& notes, double sample_rate, double seconds,
                                        double peak) {
  const size_t n = sample_rate > 0.0 && seconds > 0.0 ? static_cast<size_t>(sample_rate * seconds) : 0;
  std::vector<double> bridge(n, 0.0);
  NoiseSource noise(40);

  for (const Note& note : notes) {
    const double freq = 440.0 * std::pow(2.0, (note.midi - 69) / 12.0);
    // Low strings ring longer; a note rings until the recording ends.
    PluckedString string(freq, sample_rate, std::clamp(6.0 - 0.07 * (note.midi - 40), 2.0, 6.0));
    string.pluck(note.velocity, 0.35 + 0.4 * note.velocity, noise);
    const auto start = static_cast<size_t>(std::max(0.0, note.time * sample_rate));
    for (size_t i = start; i < n; ++i) bridge[i] += string.tick();
  }

  // What a microphone hears: mostly the body, a little of the strings themselves.
  BodyModel body(BodyModel::dreadnought(), sample_rate);
  std::vector<double> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = body.tick(bridge[i]) * 0.02 + 0.15 * bridge[i];

  double m = 0.0;
  for (double v : out) m = std::max(m, std::fabs(v));
  if (m > 0.0)
    for (double& v : out) v *= peak / m;
  return out;
}
