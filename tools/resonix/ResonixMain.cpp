// resonix: the plug-in's engine on the command line (measure, apply, render, info, coefficients).
#include "tools/resonix/Commands.h"

#include <unistd.h>
#include <iostream>

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
  const int status = run_resonix(std::vector<std::string>(argv + 1, argv + argc), console);
  std::cout.flush();
  return std::cout ? status : (status ? status : exit_write_failed);
}
