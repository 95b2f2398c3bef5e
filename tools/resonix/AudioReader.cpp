#include "tools/resonix/AudioReader.h"

#include <sndfile.h>

#include <filesystem>
#include <system_error>

#include "tools/resonix/ToolPath.h"

AudioReader::~AudioReader() {
  if (file) sf_close(file);
}

bool AudioReader::open(const std::string& path, std::string* error) {
  std::error_code ec;
  const std::filesystem::path file_path = tool_path(path);
  if (!std::filesystem::exists(file_path, ec)) {
    *error = "no such file: " + path;
    return false;
  }
  if (std::filesystem::is_directory(file_path, ec)) {
    *error = "not an audio file but a folder: " + path;
    return false;
  }
  SF_INFO sf{};
#if defined(_WIN32)
  file = sf_wchar_open(file_path.c_str(), SFM_READ, &sf);
#else
  file = sf_open(path.c_str(), SFM_READ, &sf);
#endif
  if (!file) {
    *error = "cannot read audio file " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (sf.channels < 1 || sf.samplerate < 1 || sf.frames < 0) {
    *error = "cannot read audio file " + path + ": no channels or no sample rate";
    return false;
  }
  file_info = {sf.samplerate, sf.channels, sf.frames, sf.format};
  return true;
}

int64_t AudioReader::read(double* interleaved, int64_t frames) {
  if (!file || frames <= 0) return 0;
  const sf_count_t got = sf_readf_double(file, interleaved, frames);
  return got > 0 ? got : 0;
}

bool AudioReader::read_channel(const std::string& path, int channel, std::vector<double>* samples,
                               AudioInfo* info, std::string* error) {
  AudioReader reader;
  if (!reader.open(path, error)) return false;
  *info = reader.info();
  if (channel < 0 || channel >= info->channels) {
    *error = path + " has " + std::to_string(info->channels) + " channel(s); there is no channel " +
             std::to_string(channel + 1);
    return false;
  }
  constexpr int64_t block = 4096;
  std::vector<double> buf(static_cast<size_t>(block * info->channels));
  samples->clear();
  samples->reserve(static_cast<size_t>(info->frames));
  while (int64_t got = reader.read(buf.data(), block))
    for (int64_t f = 0; f < got; ++f)
      samples->push_back(buf[static_cast<size_t>(f * info->channels + channel)]);
  return true;
}
