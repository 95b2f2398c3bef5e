#pragma once
// Runs a helper program (zenity, xdg-open) as a child process found on PATH: the arguments go to
// the program as they are, never through a shell.

#include <string>
#include <vector>

class ChildProcess {
 public:
  struct Result {
    bool started = false;  // false: the program could not be run (not installed)
    int exitCode = -1;     // -1 when it did not exit normally
    std::string output;    // what it wrote to standard output (at most kMaxOutput bytes)
  };
  static constexpr size_t kMaxOutput = 64 * 1024;

  // Runs argv[0] with the arguments, waits for it and collects its standard output.
  static Result Run(const std::vector<std::string>& argv);
  // Starts argv[0] and returns at once; the child is reaped in the background.
  static bool Start(const std::vector<std::string>& argv);
};
