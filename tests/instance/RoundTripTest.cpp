#include <gtest/gtest.h>

#include <random>

#include "instance/EditingSession.h"

// Random editing sessions, each saved as a preset and as host state and read into fresh instances.
// `make fuzz` plays many more through fuzz_roundtrip.
TEST(RoundTrip, EverySessionLoadsBackAsItWasSaved) {
  const std::filesystem::path preset =
      std::filesystem::temp_directory_path() / ("resonix-roundtrip-" + std::to_string(::getpid()) + ".rzn");
  std::mt19937 rng(15);
  int measurements = 0;
  for (int run = 0; run < 200; ++run) {
    std::vector<uint8_t> script(2 + rng() % 8);
    for (auto& b : script) b = uint8_t(rng());
    EditingSession session(script.data(), script.size());
    ASSERT_EQ(session.round_trip_fault(preset), "") << "run " << run;
    measurements += session.measurements();
  }
  EXPECT_GT(measurements, 0);
  std::filesystem::remove(preset);
}
