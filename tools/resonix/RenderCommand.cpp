#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/Subcommand.h"

int run_render(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("render", command_help::render, {{"scale", 0, true}}, console);
  if (const int status = cmd.parse(args, 2); status >= 0) return status;
  const std::string& preset = cmd.word(0);
  const std::string& png = cmd.word(1);
  std::string error;
  double scale = 1.0;
  if (cmd.args().has("scale") && !cmd.args().number("scale", &scale, &error)) return cmd.usage(error);
  if (scale < 1.0 || scale > 3.0) return cmd.usage("--scale is 1 to 3");
  EngineSession session;
  if (!session.load_preset(preset, &error)) return cmd.fail(exit_bad_input, preset + ": " + error);
  if (!session.render(png, scale, &error)) return cmd.fail(exit_write_failed, png + ": " + error);
  console.out << png << "\n";
  return exit_done;
}
