#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

// What a preset file holds: the two curves and the four mirrors of the parameters.
struct RznPreset {
  static constexpr int kBands = 120;

  int mode = 0;
  double vslider_pos = 0.0;
  double bypass_volume = 0.5;
  double note_pos = 0.0;
  double measured[kBands] = {};
  double target_shape[kBands] = {};
};

enum class RznStatus {
  ok,
  create_failed,  // the file (or its temporary twin) cannot be created
  write_failed,   // short write, full disk, failed flush or replace
  open_failed,    // cannot be opened or read as a file
  old_version,    // a format we recognise but cannot read
  damaged,        // wrong version or size, a mode other than 0 or 1, values the design cannot take
};

// The RZN preset file: 1984 bytes, a plain 64-byte header, then the curves with the upper word of
// every double mixed with its lower word. All numbers little-endian.
class RznFile {
 public:
  static constexpr uint32_t kVersion = 1975;
  static constexpr uint32_t kVersionKeyed = 1974;  // scrambled with a key table we do not have
  static constexpr uint32_t kVersionOld = 1973;
  static constexpr std::size_t kHeaderSize = 64;
  static constexpr std::size_t kFileSize = kHeaderSize + 16 * RznPreset::kBands;
  static constexpr std::size_t kMaxReadSize = std::size_t(1) << 20;

  using Image = std::array<uint8_t, kFileSize>;

  // The few system calls a save makes, replaceable so that tests can fail them.
  struct Io {
    int (*open)(const std::filesystem::path& path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, std::size_t size);
    int (*fsync)(int fd);
  };
  static const Io kPosixIo;

  // The file image of a preset, data area already scrambled.
  static Image encode(const RznPreset& preset);
  // Reads a whole file image; `preset` is only written on success.
  static RznStatus decode(const uint8_t* data, std::size_t size, RznPreset* preset);
  // Mixes or unmixes (the same operation) the data area of an image in place.
  static void scramble(uint8_t* data, std::size_t size);

  // Writes the preset through a temporary file in the same folder, flushed to disk and renamed
  // over `path` only when complete: a failed save leaves any existing file as it was.
  static RznStatus write(const std::filesystem::path& path, const RznPreset& preset, const Io& io = kPosixIo);
  // Reads and decodes a whole file; `preset` is only written on success.
  static RznStatus read(const std::filesystem::path& path, RznPreset* preset);
  // Reads a whole regular file: open_failed if it cannot, damaged if it exceeds kMaxReadSize.
  static RznStatus load_bytes(const std::filesystem::path& path, std::vector<uint8_t>* bytes);

  // The user-facing text of a failure (empty for ok).
  static const char* message(RznStatus status);
};
