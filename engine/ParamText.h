#pragma once
// What a host shows for the plug-in's continuous parameters, and how its typed text reads back:
// the bypass gain and the target level in dB, the note indicator as a note name.

namespace ParamText {

constexpr int kNumNotes = 120;

// "E0" ... "D#10" for bands 0 ... 119; "" outside.
const char* note_name(int band);
// Band a "Note indicator" value selects.
int note_band(double noteValue);

void bypass_volume(double value, char* out, int outSize);  // "-10.0 dB"; never "-0.0 dB"
bool parse_bypass_volume(const char* text, double* value);
void target_level(double value, char* out, int outSize);  // "-25.0 dB"; 0 is -45 dB, 1 is 0 dB
bool parse_target_level(const char* text, double* value);
void note(double value, char* out, int outSize);  // the selected band's note name
bool parse_note(const char* text, double* value);

}  // namespace ParamText
