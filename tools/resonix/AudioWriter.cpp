#include "tools/resonix/AudioWriter.h"

#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#endif
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/resonix/ToolPath.h"

namespace {
int container_for_extension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".wav") return SF_FORMAT_WAV;
  if (ext == ".flac") return SF_FORMAT_FLAC;
  if (ext == ".aif" || ext == ".aiff" || ext == ".aifc") return SF_FORMAT_AIFF;
  if (ext == ".w64") return SF_FORMAT_W64;
  if (ext == ".caf") return SF_FORMAT_CAF;
  if (ext == ".au" || ext == ".snd") return SF_FORMAT_AU;
  return 0;
}

bool is_integer_subtype(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
      return false;
    default:
      return true;
  }
}

#if defined(_WIN32)
// A new file beside `target` that no other writer picks; -1 with errno set when none can be made.
int create_temporary(const std::string& target, std::string* temp) {
  const std::filesystem::path path = tool_path(target);
  const std::filesystem::path dir =
      path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
  const std::wstring stem = L"." + path.filename().wstring() + L"." + std::to_wstring(::_getpid()) + L".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = dir / (stem + std::to_wstring(attempt));
    const int fd = ::_wopen(candidate.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) {
      if (fd >= 0) *temp = candidate.string();
      return fd;
    }
  }
  return -1;
}
#else
mode_t new_file_mode(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

int create_temporary(const std::string& target, std::string* temp) {
  std::filesystem::path dir = std::filesystem::path(target).parent_path();
  std::string pattern = (dir.empty() ? std::filesystem::path(".") : dir) /
                        ("." + std::filesystem::path(target).filename().string() + ".XXXXXX");
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return fd;
  *temp = pattern;
  ::fchmod(fd, new_file_mode(target));
  return fd;
}
#endif
}  // namespace

AudioWriter::~AudioWriter() {
  if (file) sf_close(file);
  std::error_code ec;
  if (!temp.empty()) std::filesystem::remove(tool_path(temp), ec);
}

int AudioWriter::format_for(const std::string& path, int source_format, int channels, std::string* error) {
  const int container = container_for_extension(path);
  const int format = (container ? container : source_format & SF_FORMAT_TYPEMASK) |
                     (source_format & SF_FORMAT_SUBMASK) |
                     (container ? 0 : source_format & SF_FORMAT_ENDMASK);
  SF_INFO check{};
  check.samplerate = 44100;
  check.channels = channels;
  check.format = format;
  if (!sf_format_check(&check)) {
    *error = "cannot write the input's sample type into " + path + "; choose another extension";
    return 0;
  }
  return format;
}

bool AudioWriter::open(const std::string& path, const AudioInfo& like, std::string* error) {
  const int format = format_for(path, like.format, like.channels, error);
  if (!format) return false;
  const int fd = create_temporary(path, &temp);
  if (fd < 0) {
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  SF_INFO sf{};
  sf.samplerate = like.rate;
  sf.channels = like.channels;
  sf.format = format;
  file = sf_open_fd(fd, SFM_WRITE, &sf, SF_TRUE);
  if (!file) {
    ::close(fd);
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  integer_format = is_integer_subtype(format);
  // Overs must clip, not wrap around to the opposite sign.
  if (integer_format) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  target = path;
  channels = like.channels;
  return true;
}

bool AudioWriter::write(const double* interleaved, int64_t frames) {
  if (!file || write_failed) return false;
  if (integer_format)
    for (int64_t i = 0; i < frames * channels; ++i)
      if (!(std::fabs(interleaved[i]) <= 1.0)) ++clipped;
  if (sf_writef_double(file, interleaved, frames) != frames) write_failed = true;
  return !write_failed;
}

bool AudioWriter::commit(std::string* error) {
  if (!file) {
    *error = "nothing to write";
    return false;
  }
  sf_write_sync(file);
  const int err = sf_error(file);
  const bool closed = sf_close(file) == 0;
  file = nullptr;
  if (write_failed || err != SF_ERR_NO_ERROR || !closed) {
    *error = "cannot write " + target + " (disk full?)";
    return false;
  }
#if defined(_WIN32)
  // Windows' C rename refuses an existing target; this one replaces it.
  std::error_code ec;
  std::filesystem::rename(tool_path(temp), tool_path(target), ec);
  if (ec) {
    *error = "cannot replace " + target + ": " + ec.message();
    return false;
  }
#else
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    *error = "cannot replace " + target + ": " + std::strerror(errno);
    return false;
  }
#endif
  temp.clear();
  return true;
}
