#pragma once
#include <vector>

// A short phrase played on the synthetic guitar: plucked strings feeding the same body model as
// the knock, so a correction fitted to the knock audibly changes the phrase.
class PhraseSynth {
 public:
  struct Note {
    double time;      // seconds from the start
    int midi;         // 40 = E2, the low string
    double velocity;  // 0..1
  };

  // An E minor figure: arpeggio up, a melody on the top strings, a closing strum.
  static std::vector<Note> e_minor_phrase();

  static std::vector<double> render(const std::vector<Note>& notes, double sample_rate, double seconds,
                                    double peak);
};
