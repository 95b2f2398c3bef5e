#include "engine/RznFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <thread>

#include "tools/TempFolder.h"

namespace {

namespace fs = std::filesystem;

RznPreset sample_preset(unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> level(1e-3, 1.0);
  RznPreset p;
  p.mode = 1;
  p.vslider_pos = 0.7312;
  p.bypass_volume = 0.4999;
  p.note_pos = 1.0;
  for (int i = 0; i < RznPreset::kBands; ++i) {
    p.measured[i] = level(rng);
    p.target_shape[i] = level(rng);
  }
  p.measured[5] = std::numeric_limits<double>::denorm_min();  // bit patterns survive as they are
  p.target_shape[7] = 1.0;
  return p;
}

void expect_same(const RznPreset& a, const RznPreset& b) {
  EXPECT_EQ(a.mode, b.mode);
  EXPECT_EQ(std::memcmp(&a.vslider_pos, &b.vslider_pos, 8), 0);
  EXPECT_EQ(std::memcmp(&a.bypass_volume, &b.bypass_volume, 8), 0);
  EXPECT_EQ(std::memcmp(&a.note_pos, &b.note_pos, 8), 0);
  EXPECT_EQ(std::memcmp(a.measured, b.measured, sizeof(a.measured)), 0);
  EXPECT_EQ(std::memcmp(a.target_shape, b.target_shape, sizeof(a.target_shape)), 0);
}

std::vector<uint8_t> slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const fs::path& path, const uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// An image with one header value or curve value replaced, scrambled as the writer would.
RznFile::Image with_double(std::size_t at, double value) {
  RznFile::Image image = RznFile::encode(sample_preset());
  RznFile::scramble(image.data(), image.size());
  std::memcpy(image.data() + at, &value, 8);
  RznFile::scramble(image.data(), image.size());
  return image;
}

int fail_open(const std::filesystem::path&, int, mode_t) {
  errno = EACCES;
  return -1;
}

// A disk that fills up after 1000 bytes.
ssize_t short_write(int fd, const void* data, std::size_t size) {
  static thread_local std::size_t written = 0;
  if (size == RznFile::kFileSize) written = 0;
  if (written >= 1000) {
    errno = ENOSPC;
    return -1;
  }
  const std::size_t n = std::min<std::size_t>(size, 1000 - written);
  written += n;
  return ::write(fd, data, n);
}

int fail_fsync(int) {
  errno = EIO;
  return -1;
}

std::size_t files_in(const fs::path& dir) {
  return std::size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

TEST(RznFile, ImageLayoutAndScrambling) {
  const RznPreset p = sample_preset();
  const RznFile::Image image = RznFile::encode(p);
  ASSERT_EQ(image.size(), 1984u);
  EXPECT_EQ(image[0], 0xB7);
  EXPECT_EQ(image[1], 0x07);
  EXPECT_EQ(image[2], 0x00);
  EXPECT_EQ(image[3], 0x00);

  // The header is plain: mode as an integer, 32 zero bytes, then the three mirrors.
  int32_t mode;
  std::memcpy(&mode, image.data() + 4, 4);
  EXPECT_EQ(mode, 1);
  for (int i = 8; i < 40; ++i) EXPECT_EQ(image[i], 0) << i;
  double v;
  std::memcpy(&v, image.data() + 40, 8);
  EXPECT_EQ(v, p.vslider_pos);

  // The data area is not: upper words carry upper ^ lower.
  uint32_t lo, hi, plain_hi;
  std::memcpy(&lo, image.data() + 64, 4);
  std::memcpy(&hi, image.data() + 68, 4);
  std::memcpy(&plain_hi, reinterpret_cast<const uint8_t*>(&p.measured[0]) + 4, 4);
  EXPECT_EQ(hi, plain_hi ^ lo);

  RznFile::Image twice = image;
  RznFile::scramble(twice.data(), twice.size());
  RznFile::scramble(twice.data(), twice.size());
  EXPECT_EQ(twice, image);
  RznFile::scramble(twice.data(), twice.size());
  EXPECT_EQ(std::memcmp(twice.data(), image.data(), 64), 0);
  EXPECT_EQ(std::memcmp(twice.data() + 64, p.measured, sizeof(p.measured)), 0);
  EXPECT_EQ(std::memcmp(twice.data() + 1024, p.target_shape, sizeof(p.target_shape)), 0);
}

TEST(RznFile, DecodeGivesBackEveryBit) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const RznPreset p = sample_preset(seed);
    const RznFile::Image image = RznFile::encode(p);
    RznPreset back;
    ASSERT_EQ(RznFile::decode(image.data(), image.size(), &back), RznStatus::ok);
    expect_same(p, back);
  }
  // Trailing bytes after the curves do not matter.
  std::vector<uint8_t> longer(RznFile::kFileSize + 100, 0xAA);
  const RznFile::Image image = RznFile::encode(sample_preset());
  std::memcpy(longer.data(), image.data(), image.size());
  RznPreset back;
  EXPECT_EQ(RznFile::decode(longer.data(), longer.size(), &back), RznStatus::ok);
}

TEST(RznFile, RefusesVersionsAndTruncationsWithoutTouchingThePreset) {
  const RznPreset untouched = sample_preset(9);
  const RznFile::Image image = RznFile::encode(sample_preset());
  for (std::size_t size = 0; size < image.size(); ++size) {
    RznPreset out = untouched;
    ASSERT_EQ(RznFile::decode(image.data(), size, &out), RznStatus::damaged) << size;
    expect_same(out, untouched);
  }
  const auto with_version = [&](uint32_t version) {
    RznFile::Image v = image;
    std::memcpy(v.data(), &version, 4);
    RznPreset out = untouched;
    const RznStatus status = RznFile::decode(v.data(), v.size(), &out);
    expect_same(out, untouched);
    return status;
  };
  EXPECT_EQ(with_version(1973), RznStatus::old_version);
  EXPECT_EQ(with_version(1974), RznStatus::old_version);
  EXPECT_EQ(with_version(1976), RznStatus::damaged);
  EXPECT_EQ(with_version(0), RznStatus::damaged);
  EXPECT_EQ(with_version(0xB7070000u), RznStatus::damaged);
  EXPECT_EQ(RznFile::decode(nullptr, 1984, nullptr), RznStatus::damaged);
}

TEST(RznFile, RefusesDamageButNotSliderPositionsAStrokeCanMake) {
  // A target drawn along the bottom of the plot puts the slider at -0.111; a peak above the top
  // puts it above 1. Both are saved, so both must load.
  for (const double vslider : {-50.0 / 45.0 + 1.0, -0.108, 1.134}) {
    const RznFile::Image image = with_double(40, vslider);
    RznPreset out;
    ASSERT_EQ(RznFile::decode(image.data(), image.size(), &out), RznStatus::ok) << vslider;
    EXPECT_EQ(out.vslider_pos, vslider);
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<std::size_t, double> bad[] = {
      {40, nan}, {40, 400.0},          {48, inf},   {56, nan},             // no usable target level
      {64, nan}, {64 + 8 * 119, -1.0}, {1024, 0.0}, {1024 + 8 * 60, inf},  // curves not positive
  };
  for (const auto& [at, value] : bad) {
    const RznFile::Image image = with_double(at, value);
    RznPreset out = sample_preset(9);
    EXPECT_EQ(RznFile::decode(image.data(), image.size(), &out), RznStatus::damaged) << at << " " << value;
    expect_same(out, sample_preset(9));
  }
  RznFile::Image image = RznFile::encode(sample_preset());
  const int32_t mode = 2;
  std::memcpy(image.data() + 4, &mode, 4);
  RznPreset out;
  EXPECT_EQ(RznFile::decode(image.data(), image.size(), &out), RznStatus::damaged);

  // Random damage to the data area is either read as a valid preset or refused, never half-read.
  std::mt19937 rng(3);
  for (int trial = 0; trial < 200; ++trial) {
    RznFile::Image noisy = RznFile::encode(sample_preset());
    for (int k = 0; k < 4; ++k) noisy[64 + rng() % (1984 - 64)] ^= uint8_t(1u << (rng() % 8));
    RznPreset before = sample_preset(9), after = before;
    if (RznFile::decode(noisy.data(), noisy.size(), &after) != RznStatus::ok) expect_same(after, before);
  }
}

TEST(RznFile, WriteThenReadIsBitExact) {
  TempFolder tmp;
  const fs::path path = tmp.path("guitar.rzn");
  const RznPreset p = sample_preset();
  ASSERT_EQ(RznFile::write(path, p), RznStatus::ok);
  const std::vector<uint8_t> bytes = slurp(path);
  const RznFile::Image image = RznFile::encode(p);
  ASSERT_EQ(bytes.size(), 1984u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.begin()));
  RznPreset back;
  ASSERT_EQ(RznFile::read(path, &back), RznStatus::ok);
  expect_same(p, back);
  EXPECT_EQ(files_in(tmp.dir), 1u);  // no temporary left behind

  // Saving over it replaces it and keeps its permissions.
  ::chmod(path.c_str(), 0640);
  ASSERT_EQ(RznFile::write(path, sample_preset(2)), RznStatus::ok);
  ASSERT_EQ(RznFile::read(path, &back), RznStatus::ok);
  expect_same(sample_preset(2), back);
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // Through a link the linked file is replaced and the link stays.
  const fs::path link = tmp.path("link.rzn");
  fs::create_symlink(path, link);
  ASSERT_EQ(RznFile::write(link, p), RznStatus::ok);
  EXPECT_TRUE(fs::is_symlink(link));
  ASSERT_EQ(RznFile::read(path, &back), RznStatus::ok);
  expect_same(p, back);
}

TEST(RznFile, FailedSavesLeaveTheExistingFileIntact) {
  TempFolder tmp;
  const fs::path path = tmp.path("keep.rzn");
  ASSERT_EQ(RznFile::write(path, sample_preset(4)), RznStatus::ok);
  const std::vector<uint8_t> before = slurp(path);
  const RznPreset other = sample_preset(5);

  const RznFile::Io no_create{fail_open, RznFile::kPosixIo.write, RznFile::kPosixIo.fsync};
  EXPECT_EQ(RznFile::write(path, other, no_create), RznStatus::create_failed);
  const RznFile::Io full_disk{RznFile::kPosixIo.open, short_write, RznFile::kPosixIo.fsync};
  EXPECT_EQ(RznFile::write(path, other, full_disk), RznStatus::write_failed);
  const RznFile::Io no_flush{RznFile::kPosixIo.open, RznFile::kPosixIo.write, fail_fsync};
  EXPECT_EQ(RznFile::write(path, other, no_flush), RznStatus::write_failed);
  EXPECT_EQ(slurp(path), before);
  EXPECT_EQ(files_in(tmp.dir), 1u);

  // A folder that does not exist, a path through a file, a folder as the target.
  EXPECT_EQ(RznFile::write(tmp.dir / "missing" / "x.rzn", other), RznStatus::create_failed);
  EXPECT_EQ(RznFile::write(path / "x.rzn", other), RznStatus::create_failed);
  fs::create_directory(tmp.dir / "folder.rzn");
  EXPECT_EQ(RznFile::write(tmp.dir / "folder.rzn", other), RznStatus::create_failed);
  EXPECT_EQ(RznFile::write("", other), RznStatus::create_failed);
  EXPECT_EQ(slurp(path), before);
}

TEST(RznFile, ReadOnlyFolderOrFileRefusesTheSave) {
  TempFolder tmp;
  const fs::path path = tmp.path("keep.rzn");
  ASSERT_EQ(RznFile::write(path, sample_preset(4)), RznStatus::ok);
  const std::vector<uint8_t> before = slurp(path);
  ::chmod(path.c_str(), 0444);
  ::chmod(tmp.dir.c_str(), 0555);
  const bool enforced = ::access(tmp.dir.c_str(), W_OK) != 0;
  const RznStatus status = RznFile::write(path, sample_preset(5));
  ::chmod(tmp.dir.c_str(), 0755);
  if (!enforced) GTEST_SKIP() << "permissions are not enforced for this user";
  EXPECT_EQ(status, RznStatus::create_failed);
  EXPECT_EQ(slurp(path), before);
  ::chmod(tmp.dir.c_str(), 0755);
  EXPECT_EQ(RznFile::write(path, sample_preset(5)), RznStatus::create_failed);  // the file itself
  EXPECT_EQ(slurp(path), before);
}

TEST(RznFile, ReadRefusesWhatIsNotAPresetFile) {
  TempFolder tmp;
  RznPreset out = sample_preset(9);
  EXPECT_EQ(RznFile::read(tmp.path("absent.rzn"), &out), RznStatus::open_failed);
  EXPECT_EQ(RznFile::read(tmp.dir, &out), RznStatus::open_failed);

  const fs::path fifo = tmp.path("pipe.rzn");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(RznFile::read(fifo, &out), RznStatus::open_failed);  // returns, does not wait for a writer

  const fs::path huge = tmp.path("huge.rzn");
  std::vector<uint8_t> big(RznFile::kMaxReadSize + 1, 0);
  const RznFile::Image image = RznFile::encode(sample_preset());
  std::memcpy(big.data(), image.data(), image.size());
  spit(huge, big.data(), big.size());
  EXPECT_EQ(RznFile::read(huge, &out), RznStatus::damaged);

  const fs::path empty = tmp.path("empty.rzn");
  spit(empty, image.data(), 0);
  EXPECT_EQ(RznFile::read(empty, &out), RznStatus::damaged);
  expect_same(out, sample_preset(9));
}
