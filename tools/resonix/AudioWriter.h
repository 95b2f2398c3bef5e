#pragma once
#include "tools/resonix/AudioReader.h"

#include <cstdint>
#include <string>

// Writes an audio file in the container its name asks for (WAV, FLAC, AIFF, ...) with the sample
// type of the file it was made from, so a 64-bit float WAV stays 64-bit. The samples go to a
// temporary file beside the target, which replaces the target only when `commit` succeeds: a
// failed render never destroys an existing file.
class AudioWriter {
 public:
  AudioWriter() = default;
  ~AudioWriter();
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  // The libsndfile format for `path` given the source's format: the container follows the
  // extension when it names one, else the source's; the sample type is the source's.
  // 0 with a message when the container cannot hold that sample type.
  static int format_for(const std::string& path, int source_format, int channels, std::string* error);

  bool open(const std::string& path, const AudioInfo& like, std::string* error);
  bool write(const double* interleaved, int64_t frames);
  // Flushes, closes and renames over the target.
  bool commit(std::string* error);

  // Samples beyond full scale that an integer format had to clip.
  int64_t clipped_samples() const { return clipped; }

 private:
  struct sf_private_tag* file = nullptr;
  std::string target, temp;
  int channels = 0;
  bool integer_format = false;
  bool write_failed = false;
  int64_t clipped = 0;
};
