#include "engine/ParamText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kBypassRangeDb = 40.0;  // -20 dB ... +20 dB around the middle of the fader
constexpr double kTargetRangeDb = 45.0;  // -45 dB ... 0 dB

const char* const* note_table() {
  static const auto table = [] {
    static const char* const pitch[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    static char text[ParamText::kNumNotes][6];
    static const char* names[ParamText::kNumNotes];
    for (int i = 0; i < ParamText::kNumNotes; ++i) {
      const int semitone = i + 4;  // band 0 is E0, four semitones above C0
      std::snprintf(text[i], sizeof text[i], "%s%d", pitch[semitone % 12], semitone / 12);
      names[i] = text[i];
    }
    return names;
  }();
  return table;
}

void write_db(double db, char* out, int outSize) {
  if (!out || outSize <= 0) return;
  if (!(std::fabs(db) >= 0.05)) db = 0.0;  // what prints as 0.0 is 0.0, not -0.0
  std::snprintf(out, size_t(outSize), "%2.1f dB", db);
}

// The leading number of "-10.0 dB", "-10", "+3.5dB"; anything after it is ignored.
bool read_db(const char* text, double* db) {
  if (!text) return false;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v)) return false;
  *db = v;
  return true;
}

}  // namespace

namespace ParamText {

const char* note_name(int band) {
  return band >= 0 && band < kNumNotes ? note_table()[band] : "";
}

int note_band(double noteValue) {
  if (!(noteValue > 0.0)) return 0;  // also catches NaN
  if (noteValue >= 1.0) return kNumNotes - 1;
  return int(noteValue * (kNumNotes - 1) + 0.5);
}

void bypass_volume(double value, char* out, int outSize) {
  write_db((value - 0.5) * kBypassRangeDb, out, outSize);
}

bool parse_bypass_volume(const char* text, double* value) {
  double db = 0.0;
  if (!value || !read_db(text, &db)) return false;
  *value = std::clamp(db / kBypassRangeDb + 0.5, 0.0, 1.0);
  return true;
}

void target_level(double value, char* out, int outSize) {
  write_db((value - 1.0) * kTargetRangeDb, out, outSize);
}

bool parse_target_level(const char* text, double* value) {
  double db = 0.0;
  if (!value || !read_db(text, &db)) return false;
  *value = std::clamp(db / kTargetRangeDb + 1.0, 0.0, 1.0);
  return true;
}

void note(double value, char* out, int outSize) {
  if (out && outSize > 0) std::snprintf(out, size_t(outSize), "%s", note_name(note_band(value)));
}

// A note name in any letter case ("a4", "C#10"), spaces around it allowed.
bool parse_note(const char* text, double* value) {
  if (!text || !value) return false;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  size_t len = std::strlen(text);
  while (len > 0 && std::isspace(static_cast<unsigned char>(text[len - 1]))) --len;
  for (int band = 0; band < kNumNotes; ++band) {
    const char* name = note_name(band);
    if (std::strlen(name) != len) continue;
    bool same = true;
    for (size_t k = 0; k < len && same; ++k)
      same = std::toupper(static_cast<unsigned char>(text[k])) == name[k];
    if (same) {
      *value = double(band) / (kNumNotes - 1);
      return true;
    }
  }
  return false;
}

}  // namespace ParamText
