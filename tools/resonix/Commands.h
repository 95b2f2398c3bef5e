#pragma once
#include "tools/resonix/Console.h"

#include <string>
#include <vector>

// The subcommands; `args` are the words after the subcommand's name.
int run_measure(const std::vector<std::string>& args, Console& console);
int run_apply(const std::vector<std::string>& args, Console& console);
int run_render(const std::vector<std::string>& args, Console& console);
int run_info(const std::vector<std::string>& args, Console& console);
int run_coefficients(const std::vector<std::string>& args, Console& console);
int run_match(const std::vector<std::string>& args, Console& console);

// The whole tool: `args` are the words after the program name.
int run_resonix(const std::vector<std::string>& args, Console& console);
