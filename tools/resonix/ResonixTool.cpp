#include "engine/ResonixVersion.h"
#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"

int run_resonix(const std::vector<std::string>& args, Console& console) {
  static const struct {
    const char* name;
    int (*run)(const std::vector<std::string>&, Console&);
  } commands[] = {
      {"measure", run_measure},           {"apply", run_apply}, {"render", run_render}, {"info", run_info},
      {"coefficients", run_coefficients}, {"match", run_match}};

  if (args.empty()) {
    console.err << command_help::tool;
    return exit_usage;
  }
  const std::string& first = args.front();
  if (first == "--help" || first == "-h" || first == "help") {
    console.out << command_help::tool;
    return exit_done;
  }
  if (first == "--version") {
    console.out << "resonix (Korvane Resonix) " << kResonixVersionText << "\n";
    return exit_done;
  }
  for (const auto& c : commands)
    if (first == c.name) return c.run(std::vector<std::string>(args.begin() + 1, args.end()), console);
  console.err << "resonix: unknown command \"" << first << "\"\n"
              << "Try `resonix --help`.\n";
  return exit_usage;
}
