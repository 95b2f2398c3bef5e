#pragma once
#include <ostream>

// Where a subcommand writes: results to `out`, messages to `err`; `terminal` when `err` is a
// terminal, so progress bars are drawn only where a person watches.
struct Console {
  std::ostream& out;
  std::ostream& err;
  bool terminal = false;
};

// The tool's exit status.
enum ExitCode {
  exit_done = 0,
  exit_usage = 1,
  exit_bad_input = 2,  // unreadable or damaged input, or a measurement the plug-in refused
  exit_write_failed = 3,
};
