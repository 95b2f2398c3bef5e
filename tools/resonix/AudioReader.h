#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

// Sample-format facts of an audio file that a rendered copy must keep.
struct AudioInfo {
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;
  int format = 0;  // libsndfile SF_FORMAT_* (container | sample type)
};

// Reads WAV, FLAC, AIFF and the other formats libsndfile knows, as 64-bit float samples
// (integer formats scaled to -1..1).
class AudioReader {
 public:
  AudioReader() = default;
  ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  // False with a message naming the file when it is missing or not audio libsndfile can read.
  bool open(const std::string& path, std::string* error);
  const AudioInfo& info() const { return file_info; }

  // Reads up to `frames` interleaved frames; returns how many were read (0 at the end).
  int64_t read(double* interleaved, int64_t frames);

  // The whole of one channel (0-based); false with a message on a bad file or channel.
  static bool read_channel(const std::string& path, int channel, std::vector<double>* samples,
                           AudioInfo* info, std::string* error);

 private:
  sf_private_tag* file = nullptr;
  AudioInfo file_info;
};
