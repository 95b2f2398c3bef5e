#pragma once
#include "tools/resonix/CommandLine.h"
#include "tools/resonix/Console.h"

#include <string>
#include <vector>

// What every subcommand shares: its name and help text, argument parsing with usage errors,
// the output format switches and the wording of failures ("resonix NAME: ...").
class Subcommand {
 public:
  enum class Format { text, json, csv };

  Subcommand(const char* name, const char* help, std::vector<CommandLine::Option> options, Console& console,
             bool formats = false);

  // Parses `args` expecting exactly `positional` words. Returns -1 to go on, otherwise the exit
  // status to return at once (help printed, or a usage error reported).
  int parse(const std::vector<std::string>& args, size_t positional);

  const CommandLine& args() const { return line; }
  const std::string& word(size_t i) const { return line.positional()[i]; }
  Format format() const { return output_format; }

  int usage(const std::string& message);
  int fail(ExitCode code, const std::string& message);
  void warn(const std::string& message);

  Console& console;

 private:
  const char* name;
  const char* help;
  CommandLine line;
  bool formats;
  Format output_format = Format::text;
};
