#include "tools/resonix/Subcommand.h"

namespace {
std::vector<CommandLine::Option> with_formats(std::vector<CommandLine::Option> options, bool formats) {
  if (formats) {
    options.push_back({"json", 0, false});
    options.push_back({"csv", 0, false});
  }
  return options;
}

std::string first_line(const char* text) {
  const std::string s = text;
  return s.substr(0, s.find('\n'));
}
}  // namespace

Subcommand::Subcommand(const char* name, const char* help, std::vector<CommandLine::Option> options,
                       Console& console, bool formats)
    : console(console),
      name(name),
      help(help),
      line(with_formats(std::move(options), formats)),
      formats(formats) {}

int Subcommand::parse(const std::vector<std::string>& args, size_t positional) {
  std::string error;
  if (!line.parse(args, &error)) return usage(error);
  if (line.help()) {
    console.out << help;
    return exit_done;
  }
  if (formats) {
    if (line.has("json") && line.has("csv")) return usage("choose one of --json and --csv");
    output_format = line.has("json") ? Format::json : line.has("csv") ? Format::csv : Format::text;
  }
  if (line.positional().size() < positional) return usage("missing arguments");
  if (line.positional().size() > positional)
    return usage("unexpected argument " + line.positional()[positional]);
  return -1;
}

int Subcommand::usage(const std::string& message) {
  console.err << "resonix " << name << ": " << message << "\n"
              << first_line(help) << "\n"
              << "Try `resonix " << name << " --help`.\n";
  return exit_usage;
}

int Subcommand::fail(ExitCode code, const std::string& message) {
  console.err << "resonix " << name << ": " << message << "\n";
  return code;
}

void Subcommand::warn(const std::string& message) {
  console.err << "resonix " << name << ": warning: " << message << "\n";
}
