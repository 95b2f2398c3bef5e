#include "engine/CalibrationFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>

#include "reference/ReferenceCurves.h"

namespace {

namespace fs = std::filesystem;

using Grid = reference::BandGrid;

class CalibrationFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        fs::path(::testing::TempDir()) / ("calibration-" + std::to_string(getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, ec);
    fs::remove_all(folder, ec);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  CalibrationFile::Status load() { return CalibrationFile::load(folder, grid.freq, 120, factors, name); }
  fs::path folder;
  Grid grid;
  double factors[120];
  std::string name = "stale";
};

double db_of(double factor) {
  return 20 * std::log10(factor);
}

TEST_F(CalibrationFolder, TwoPointsInterpolateOverLinearFrequency) {
  write("mic.frd", "20 -3\n20000 3\n");
  ASSERT_EQ(load(), CalibrationFile::Status::kLoaded);
  EXPECT_EQ(name, "mic.frd");
  EXPECT_NEAR(db_of(factors[0]), -2.9998, 1e-4);
  EXPECT_NEAR(factors[0], 0.70796, 1e-5);
  EXPECT_NEAR(db_of(factors[53]), -2.8739, 1e-4);
  EXPECT_NEAR(factors[53], 0.71830, 1e-5);
  EXPECT_NEAR(db_of(factors[119]), 2.9736, 1e-4);
  EXPECT_NEAR(factors[119], 1.40825, 1e-5);
}

TEST_F(CalibrationFolder, FrdWinsOverCalAndNamesSortWithinAKind) {
  write("a.cal", "10 6\n");
  write("z.frd", "10 -6\n");
  write("b.frd", "10 -12\n");
  write(".hidden.frd", "10 12\n");
  fs::create_directory(folder / "a.frd");  // a folder is not a file
  ASSERT_EQ(load(), CalibrationFile::Status::kLoaded);
  EXPECT_EQ(name, "b.frd");
  EXPECT_NEAR(db_of(factors[60]), -12.0, 1e-9);  // one data line: its level everywhere
}

TEST_F(CalibrationFolder, NoFileOrNoDataLeavesEveryBandFlatAndNoName) {
  EXPECT_EQ(load(), CalibrationFile::Status::kNone);
  EXPECT_EQ(name, "");
  for (double f : factors) EXPECT_EQ(f, 1.0);
  write("empty.cal", "* no data here\nFreq Level\n\tindented\n");
  EXPECT_EQ(load(), CalibrationFile::Status::kNoData);
  EXPECT_EQ(name, "");
  for (double f : factors) EXPECT_EQ(f, 1.0);
}

TEST_F(CalibrationFolder, UnreadableFileIsReportedAndFlat) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write("locked.frd", "100 3\n");
  fs::permissions(folder / "locked.frd", fs::perms::none);
  EXPECT_EQ(load(), CalibrationFile::Status::kUnreadable);
  EXPECT_EQ(name, "");
  for (double f : factors) EXPECT_EQ(f, 1.0);
}

TEST(CalibrationParse, FieldRules) {
  auto p = CalibrationFile::parse(
      "Sensitivity header\n"
      "* comment\n"
      "20,5 -1,5\r\n"      // commas are decimal points; CR harmless
      "100, -2.5, 45.0\n"  // third column ignored
      " 200\t+1e0 dB\n"    // one leading space, tab separator, exponent
      "  300 -4\n"         // two spaces: the frequency is empty, its number is the level
      "1e3 x=-0.5y\n"      // junk before the level is skipped
      "\t500 9\n"          // starts with a tab: skipped
      "700\n"              // no level: 0 dB
      ".5 2\n");
  ASSERT_EQ(p.size(), 7u);
  EXPECT_EQ(p[0].freq, 20.5);
  EXPECT_EQ(p[0].db, -1.5);
  EXPECT_EQ(p[1].freq, 100.0);
  EXPECT_EQ(p[1].db, -2.5);
  EXPECT_EQ(p[2].freq, 200.0);
  EXPECT_EQ(p[2].db, 1.0);
  EXPECT_EQ(p[3].freq, 0.0);
  EXPECT_EQ(p[3].db, 300.0);
  EXPECT_EQ(p[4].freq, 1000.0);
  EXPECT_EQ(p[4].db, -0.5);
  EXPECT_EQ(p[5].freq, 700.0);
  EXPECT_EQ(p[5].db, 0.0);
  EXPECT_EQ(p[6].freq, 0.5);
  EXPECT_EQ(p[6].db, 2.0);
}

TEST(CalibrationParse, IgnoresTheHostLocale) {
  const char* old = setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
  auto p = CalibrationFile::parse("1000.5 -2.25\n");
  setlocale(LC_NUMERIC, saved.c_str());
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].freq, 1000.5);
  EXPECT_EQ(p[0].db, -2.25);
}

// Files no microphone maker wrote: the reader stays inside its storage and keeps to its limits.
TEST(CalibrationParse, MalformedInputStaysBounded) {
  std::string binary(70000, '\0');
  std::mt19937 rng(3);
  for (char& c : binary) c = char(rng());
  EXPECT_LE(CalibrationFile::parse(binary).size(), 10000u);

  const std::string long_line = "1" + std::string(1 << 20, '2') + " -3\n";
  // The frequency ends after 100 digits and the next 100 read as a level of 2e99 dB: no factor.
  EXPECT_TRUE(CalibrationFile::parse(long_line).empty());

  std::string many;
  for (int i = 0; i < 20000; ++i) many += std::to_string(20 + i) + " " + std::to_string(i % 7) + "\n";
  EXPECT_EQ(CalibrationFile::parse(many).size(), 10000u);

  EXPECT_EQ(CalibrationFile::parse(",,,,\n,,, ,,,\n1,,2,,3\n").size(), 3u);
  EXPECT_EQ(CalibrationFile::parse("1e999 3\n100 1e999\n100 2\n").size(), 1u);  // infinities dropped
  EXPECT_EQ(CalibrationFile::parse("100 1e300\n100 -4000\n100 2\n").size(), 1u);  // no usable factor
}

// Frequencies in descending order: the end rules decide, the last one applied wins.
TEST(CalibrationBands, DescendingFrequenciesFollowTheEndRules) {
  const Grid g;
  double factors[120];
  CalibrationFile::band_factors({{20000, 6}, {1000, -6}, {100, 2}}, g.freq, 120, factors);
  for (int k = 0; k < 120; ++k) EXPECT_NEAR(db_of(factors[k]), g.freq[k] >= 100 ? 2.0 : 6.0, 1e-12) << k;
}

}  // namespace
