#pragma once
#include <cstdint>
#include <ostream>
#include <string>

// A one-line progress bar redrawn in place on a terminal; silent elsewhere.
class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool enabled, std::string label, int64_t total);
  ~ProgressBar();

  void update(int64_t done);
  // Completes the line (100 %) and ends it.
  void finish();

 private:
  std::ostream& out;
  bool enabled;
  std::string label;
  int64_t total;
  int shown = -1;
  bool finished = false;
};
