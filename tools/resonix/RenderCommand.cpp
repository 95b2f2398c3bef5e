#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/Subcommand.h"

int run_render(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("render", command_help::render, {}, console);
  if (const int status = cmd.parse(args, 2); status >= 0) return status;
  const std::string& preset = cmd.word(0);
  const std::string& png = cmd.word(1);
  EngineSession session;
  std::string error;
  if (!session.load_preset(preset, &error)) return cmd.fail(exit_bad_input, preset + ": " + error);
  if (!session.render(png, &error)) return cmd.fail(exit_write_failed, png + ": " + error);
  console.out << png << "\n";
  return exit_done;
}
