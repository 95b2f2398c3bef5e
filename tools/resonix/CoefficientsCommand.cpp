#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/JsonWriter.h"
#include "tools/resonix/Subcommand.h"

#include <cmath>
#include <cstdio>

namespace {
void print_json(std::ostream& out, const EngineSession::Coefficients& c) {
  JsonWriter j(out);
  j.begin_object().key("rate").value(c.rate).key("out_gain").value(c.out_gain);
  j.key("sections").begin_array();
  for (const auto& s : c.sections)
    j.begin_array().value(s.b0).value(s.b1).value(s.b2).value(s.a0).value(s.a1).value(s.a2).end_array();
  j.end_array().end_object();
  out << "\n";
}

void print_csv(std::ostream& out, const EngineSession::Coefficients& c) {
  out << "section,b0,b1,b2,a0,a1,a2\n";
  for (size_t i = 0; i < c.sections.size(); ++i) {
    const auto& s = c.sections[i];
    out << i << ',' << JsonWriter::number(s.b0) << ',' << JsonWriter::number(s.b1) << ','
        << JsonWriter::number(s.b2) << ',' << JsonWriter::number(s.a0) << ',' << JsonWriter::number(s.a1)
        << ',' << JsonWriter::number(s.a2) << '\n';
  }
  // The output gain as a section that only scales, so running every line reproduces the filter.
  out << "gain," << JsonWriter::number(c.out_gain) << ",0,0,1,0,0\n";
}

void print_text(std::ostream& out, const EngineSession::Coefficients& c,
                const std::vector<EngineSession::Band>& bands) {
  char line[256];
  std::snprintf(line, sizeof line, "rate %s Hz, output gain %s (%.2f dB), %zu sections\n",
                JsonWriter::number(c.rate).c_str(), JsonWriter::number(c.out_gain).c_str(),
                20.0 * std::log10(c.out_gain), c.sections.size());
  out << line;
  out << "section note  b0 b1 b2 a0 a1 a2\n";
  for (size_t i = 0; i < c.sections.size(); ++i) {
    const auto& s = c.sections[i];
    std::snprintf(line, sizeof line, "%7zu %-4s  %.17g %.17g %.17g %.17g %.17g %.17g\n", i,
                  i < bands.size() ? bands[i].note.c_str() : "", s.b0, s.b1, s.b2, s.a0, s.a1, s.a2);
    out << line;
  }
}
}  // namespace

int run_coefficients(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("coefficients", command_help::coefficients, {{"rate", 0, true}}, console, true);
  if (const int status = cmd.parse(args, 1); status >= 0) return status;
  const std::string& preset = cmd.word(0);
  std::string error;
  double rate = 0.0;
  if (!cmd.args().has("rate")) return cmd.usage("missing --rate HZ");
  if (!cmd.args().number("rate", &rate, &error)) return cmd.usage(error);
  if (rate < 1.0 || rate > 10e6) return cmd.usage("--rate must be a sample rate in Hz");

  EngineSession session;
  session.set_sample_rate(rate);
  if (!session.load_preset(preset, &error)) return cmd.fail(exit_bad_input, preset + ": " + error);
  if (rate < 44056.0) cmd.warn("below 44056 Hz the plug-in designs its correction for 44056 Hz");
  const auto coefficients = session.coefficients();
  switch (cmd.format()) {
    case Subcommand::Format::json:
      print_json(console.out, coefficients);
      break;
    case Subcommand::Format::csv:
      print_csv(console.out, coefficients);
      break;
    case Subcommand::Format::text:
      print_text(console.out, coefficients, session.bands());
      break;
  }
  return exit_done;
}
