#pragma once
// Mono MP3 of a signal: a 16-bit WAV beside the target, encoded by the `lame` program.

#include <string>
#include <vector>

// False with a message when the WAV cannot be written or lame is missing or fails.
bool write_mp3(const std::vector<double>& samples, int rate, const std::string& path, std::string* error);
