#include "engine/RznFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/FilePath.h"
#include "engine/StateCheck.h"
#if defined(_WIN32)
#include <io.h>
#endif

namespace {

#if defined(_WIN32)
// Binary mode always: text mode would turn line ends into pairs and stop reading at a Ctrl-Z byte.
constexpr int kNoInherit = O_BINARY | O_NOINHERIT;
constexpr int kNonBlocking = 0;  // Windows has no named pipes in the file namespace
#else
constexpr int kNoInherit = O_CLOEXEC;
constexpr int kNonBlocking = O_NONBLOCK;
#endif

constexpr std::size_t kModeAt = 4;
constexpr std::size_t kVsliderAt = 40;
constexpr std::size_t kBypassAt = 48;
constexpr std::size_t kNoteAt = 56;
constexpr std::size_t kMeasuredAt = RznFile::kHeaderSize;
constexpr std::size_t kShapeAt = kMeasuredAt + 8 * RznPreset::kBands;

template <typename T>
void put(uint8_t* image, std::size_t at, T value) {
  std::memcpy(image + at, &value, sizeof(T));
}

template <typename T>
T get(const uint8_t* image, std::size_t at) {
  T value;
  std::memcpy(&value, image + at, sizeof(T));
  return value;
}

int posix_open(const std::filesystem::path& path, int flags, mode_t mode) {
  return FilePath::open(path, flags, int(mode));
}

ssize_t posix_write(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}

int posix_fsync(int fd) {
#if defined(_WIN32)
  return ::_commit(fd);
#else
  return ::fsync(fd);
#endif
}

// Writes all of it, resuming after partial writes; false on the first error or a stalled write.
bool write_all(const RznFile::Io& io, int fd, const uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = io.write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= std::size_t(n);
  }
  return true;
}

// A name beside the target that no other save (in this or another process) picks.
std::filesystem::path temporary_beside(const std::filesystem::path& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path name = ".";
  name += target.filename();  // as the file system spells it: no round trip through text
  name +=
      ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(attempt);
  return target.parent_path() / name;
}

}  // namespace

const RznFile::Io RznFile::kPosixIo = {posix_open, posix_write, posix_fsync};

void RznFile::scramble(uint8_t* data, std::size_t size) {
  for (std::size_t e = kHeaderSize / 8; e < size / 8; ++e) {
    uint8_t* element = data + 8 * e;
    const uint32_t lo = get<uint32_t>(element, 0);
    const uint32_t hi = get<uint32_t>(element, 4);
    put<uint32_t>(element, 4, hi ^ lo);
  }
}

RznFile::Image RznFile::encode(const RznPreset& preset) {
  Image image{};
  uint8_t* p = image.data();
  put<uint32_t>(p, 0, kVersion);
  put<int32_t>(p, kModeAt, preset.mode);
  put<double>(p, kVsliderAt, preset.vslider_pos);
  put<double>(p, kBypassAt, preset.bypass_volume);
  put<double>(p, kNoteAt, preset.note_pos);
  std::memcpy(p + kMeasuredAt, preset.measured, sizeof(preset.measured));
  std::memcpy(p + kShapeAt, preset.target_shape, sizeof(preset.target_shape));
  scramble(p, image.size());
  return image;
}

RznStatus RznFile::decode(const uint8_t* data, std::size_t size, RznPreset* preset) {
  if (data == nullptr || size < 4) return RznStatus::damaged;
  const uint32_t version = get<uint32_t>(data, 0);
  if (version == kVersionOld) return RznStatus::old_version;
  if (version != kVersion && version != kVersionKeyed) return RznStatus::damaged;
  // Both readable layouts keep the curves at fixed offsets up to byte 1984.
  if (size < kFileSize || size > kMaxReadSize) return RznStatus::damaged;
  if (version == kVersionKeyed) return RznStatus::old_version;

  Image image;
  std::memcpy(image.data(), data, kFileSize);
  scramble(image.data(), image.size());
  const uint8_t* p = image.data();

  RznPreset read;
  read.mode = get<int32_t>(p, kModeAt);
  read.vslider_pos = get<double>(p, kVsliderAt);
  read.bypass_volume = get<double>(p, kBypassAt);
  read.note_pos = get<double>(p, kNoteAt);
  std::memcpy(read.measured, p + kMeasuredAt, sizeof(read.measured));
  std::memcpy(read.target_shape, p + kShapeAt, sizeof(read.target_shape));

  // Only damage is refused: anything an instance can save must load again, so the slider position
  // is not held to 0..1 (a target drawn along the bottom of the plot puts it below 0).
  if (read.mode != 0 && read.mode != 1) return RznStatus::damaged;
  if (!std::isfinite(read.bypass_volume) || !std::isfinite(read.note_pos)) return RznStatus::damaged;
  if (!StateCheck::usable(read.measured, read.target_shape, RznPreset::kBands, read.vslider_pos))
    return RznStatus::damaged;

  *preset = read;
  return RznStatus::ok;
}

RznStatus RznFile::load_bytes(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
  // Non-blocking, so that a named pipe chosen in the dialog cannot hang the editor.
  const int fd = FilePath::open(path, O_RDONLY | kNoInherit | kNonBlocking);
  if (fd < 0) return RznStatus::open_failed;
  struct stat st;
  RznStatus status = RznStatus::ok;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    status = RznStatus::open_failed;
  else if (std::size_t(st.st_size) > kMaxReadSize)
    status = RznStatus::damaged;
  else {
    bytes->assign(std::size_t(st.st_size), 0);
    std::size_t got = 0;
    while (got < bytes->size()) {
      const ssize_t n = ::read(fd, bytes->data() + got, bytes->size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += std::size_t(n);
    }
    if (got != bytes->size()) status = RznStatus::open_failed;
  }
  ::close(fd);
  return status;
}

RznStatus RznFile::read(const std::filesystem::path& path, RznPreset* preset) {
  std::vector<uint8_t> bytes;
  const RznStatus status = load_bytes(path, &bytes);
  if (status != RznStatus::ok) return status;
  return decode(bytes.data(), bytes.size(), preset);
}

RznStatus RznFile::write(const std::filesystem::path& path, const RznPreset& preset, const Io& io) {
  if (path.empty()) return RznStatus::create_failed;
  std::error_code ec;
  // Saving over a link replaces the file it points to, not the link.
  std::filesystem::path target = path;
  if (std::filesystem::is_symlink(target, ec)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
    if (ec) return RznStatus::create_failed;
    target = resolved;
  }
  if (target.filename().empty()) return RznStatus::create_failed;

  // An existing file must be one we could have opened for writing.
  const FilePath::Probe existing = FilePath::probe(target);
  if (existing.exists && !existing.writable_file) return RznStatus::create_failed;

  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = temporary_beside(target, attempt);
    fd = io.open(temp, O_WRONLY | O_CREAT | O_EXCL | kNoInherit, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return RznStatus::create_failed;
#if !defined(_WIN32)
  if (existing.exists) (void)::fchmod(fd, mode_t(existing.mode));
#endif

  const Image image = encode(preset);
  bool ok = write_all(io, fd, image.data(), image.size());
  ok = ok && io.fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && FilePath::replace(temp, target);
  if (!ok) {
    FilePath::remove(temp);
    return RznStatus::write_failed;
  }
#if !defined(_WIN32)
  // Make the rename itself durable; a failure here no longer endangers either file.
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd >= 0) {
    (void)::fsync(dirfd);
    ::close(dirfd);
  }
#endif
  return RznStatus::ok;
}

const char* RznFile::message(RznStatus status) {
  switch (status) {
    case RznStatus::ok:
      return "";
    case RznStatus::create_failed:
      return "Save File Error_001";
    case RznStatus::write_failed:
      return "Error_004: Can't write file.";
    case RznStatus::open_failed:
      return "File Open Error 1.";
    case RznStatus::old_version:
      return "Old version of the RZN file is not supported.";
    case RznStatus::damaged:
      break;
  }
  return "RZN file is damaged (or created by a newer version of the program).";
}
