#pragma once
#include <cstdint>
#include <vector>

// A recording of a player knocking a guitar's bridge with a pick in a quiet room, as the plug-in's
// measurement hears it: a few knocks of slightly different strength, each a short force pulse
// ringing the body's modes, two faint wall reflections and the room's pink noise floor.
class KnockSynth {
 public:
  struct Settings {
    double sample_rate = 44100.0;
    double seconds = 12.6;  // long enough for the 0.5 s wait and the 2^19-sample capture
    std::vector<double> knock_times = {0.9, 2.6, 4.4, 6.1, 7.9, 9.6, 11.3};
    double peak = 0.5;        // -6 dBFS: loud enough, far from clipping
    double noise_db = -66.0;  // room noise, dBFS peak of the pink noise
    double pulse_ms = 0.3;    // contact time of the pick on the bridge
    uint64_t seed = 1975;
  };

  static std::vector<double> render(const Settings& settings);
};
