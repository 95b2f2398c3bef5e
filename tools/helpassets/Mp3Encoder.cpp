#include "tools/helpassets/Mp3Encoder.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include <sndfile.h>

#include "tools/resonix/AudioWriter.h"

extern char** environ;

bool write_mp3(const std::vector<double>& samples, int rate, const std::string& path, std::string* error) {
  const std::string wav = path + ".wav";
  AudioWriter writer;
  AudioInfo like;
  like.rate = rate;
  like.channels = 1;
  like.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  if (!writer.open(wav, like, error) || !writer.write(samples.data(), int64_t(samples.size())) ||
      !writer.commit(error))
    return false;

  // lame gets its arguments directly: no shell, so paths with spaces are fine.
  std::string input = wav, output = path;
  char lame[] = "lame", quiet[] = "--quiet", vbr[] = "-V4", mono[] = "-m", m[] = "m";
  char* argv[] = {lame, quiet, vbr, mono, m, input.data(), output.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "lame", nullptr, nullptr, argv, environ);
  int status = 0;
  const bool ok =
      spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::error_code ignored;
  std::filesystem::remove(wav, ignored);
  if (!ok && error)
    *error = spawned ? "the program \"lame\" is not installed" : "lame could not encode the example";
  return ok;
}
