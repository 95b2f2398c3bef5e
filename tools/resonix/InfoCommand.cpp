#include "tools/resonix/CommandHelp.h"
#include "tools/resonix/Commands.h"
#include "tools/resonix/EngineSession.h"
#include "tools/resonix/JsonWriter.h"
#include "tools/resonix/Subcommand.h"
#include "tools/resonix/ToolPath.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

namespace {
// The format version at the start of an RZN file (32-bit little-endian), read after the plug-in
// has accepted the file.
uint32_t rzn_version(const std::string& path) {
  std::ifstream f(tool_path(path), std::ios::binary);
  unsigned char b[4] = {};
  f.read(reinterpret_cast<char*>(b), 4);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

double slider_db(double v) {
  return (v - 1.0) * 45.0;
}

double bypass_db(double v) {
  const double x = (v - 0.5) * 40.0;
  return x > -0.01 && x < 0.01 ? 0.0 : x;
}

std::string csv_number(double v) {
  return JsonWriter::number(v) == "null" ? "" : JsonWriter::number(v);
}

void print_text(std::ostream& out, const std::string& path, uint32_t version,
                const EngineSession::Parameters& p, const std::vector<EngineSession::Band>& bands) {
  char line[160];
  out << path << ": RZN version " << version << "\n";
  std::snprintf(line, sizeof line, "mode             %s\n", p.mode != 0.0 ? "Bypass" : "EQ");
  out << line;
  std::snprintf(line, sizeof line, "vertical slider  %.4f (%.1f dB)\n", p.vertical_slider,
                slider_db(p.vertical_slider));
  out << line;
  std::snprintf(line, sizeof line, "bypass volume    %.4f (%.1f dB)\n", p.bypass_volume,
                bypass_db(p.bypass_volume));
  out << line;
  const int k = static_cast<int>(std::floor(p.note_indicator * 119 + 0.5));
  std::snprintf(line, sizeof line, "note indicator   %.4f (%s)\n\n", p.note_indicator,
                k >= 0 && k < static_cast<int>(bands.size()) ? bands[k].note.c_str() : "?");
  out << line;
  out << "band  note          Hz  measured    target  corrected (dB)\n";
  for (const auto& b : bands) {
    std::snprintf(line, sizeof line, "%4d  %-4s  %10.2f  %8.2f  %8.2f  %9.2f\n", b.index, b.note.c_str(),
                  b.hz, b.measured_db, b.target_db, b.corrected_db);
    out << line;
  }
}

void print_json(std::ostream& out, uint32_t version, const EngineSession::Parameters& p,
                const std::vector<EngineSession::Band>& bands) {
  JsonWriter j(out);
  j.begin_object().key("version").value(static_cast<int>(version));
  j.key("parameters").begin_object();
  j.key("mode").value(p.mode).key("vertical_slider").value(p.vertical_slider);
  j.key("bypass_volume").value(p.bypass_volume).key("note_indicator").value(p.note_indicator);
  j.end_object();
  j.key("bands").begin_array();
  for (const auto& b : bands) {
    j.begin_object().key("index").value(b.index).key("note").value(b.note).key("hz").value(b.hz);
    j.key("measured_db").value(b.measured_db).key("target_db").value(b.target_db);
    j.key("corrected_db").value(b.corrected_db).end_object();
  }
  j.end_array().end_object();
  out << "\n";
}

void print_csv(std::ostream& out, const std::vector<EngineSession::Band>& bands) {
  out << "index,note,hz,measured_db,target_db,corrected_db\n";
  for (const auto& b : bands)
    out << b.index << ',' << b.note << ',' << csv_number(b.hz) << ',' << csv_number(b.measured_db) << ','
        << csv_number(b.target_db) << ',' << csv_number(b.corrected_db) << '\n';
}
}  // namespace

int run_info(const std::vector<std::string>& args, Console& console) {
  Subcommand cmd("info", command_help::info, {{"rate", 0, true}}, console, true);
  if (const int status = cmd.parse(args, 1); status >= 0) return status;
  const std::string& preset = cmd.word(0);
  std::string error;
  double rate = 44100.0;
  if (cmd.args().has("rate") && !cmd.args().number("rate", &rate, &error)) return cmd.usage(error);
  if (rate < 1.0 || rate > 10e6) return cmd.usage("--rate must be a sample rate in Hz");

  EngineSession session;
  session.set_sample_rate(rate);
  if (!session.load_preset(preset, &error)) return cmd.fail(exit_bad_input, preset + ": " + error);
  const uint32_t version = rzn_version(preset);
  const auto params = session.parameters();
  const auto bands = session.bands();
  switch (cmd.format()) {
    case Subcommand::Format::json:
      print_json(console.out, version, params, bands);
      break;
    case Subcommand::Format::csv:
      print_csv(console.out, bands);
      break;
    case Subcommand::Format::text:
      print_text(console.out, preset, version, params, bands);
      break;
  }
  return exit_done;
}
