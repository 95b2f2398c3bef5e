// Writes an LV2 bundle's manifest.ttl and plug-in description from the plug-in itself: its
// description record, and the names, defaults and value texts of a headless instance's parameters.
//   resonix-lv2-ttl <bundle-folder> <module-file-name>
// Run by the build, so the TTL and the module can never disagree.

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "framework/hosts/PlugEntry.h"
#include "framework/hosts/lv2/Lv2PortLayout.h"

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A Turtle decimal: always with a point, never in the locale's form.
std::string decimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  std::string s = text;
  while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s == "-0.0" ? "0.0" : s;
}

std::string audio_port(const char* direction, int index, const std::string& symbol, const std::string& name) {
  std::ostringstream out;
  out << "[\n    a lv2:" << direction << " , lv2:AudioPort ;\n    lv2:index " << index
      << " ;\n    lv2:symbol " << quoted(symbol) << " ;\n    lv2:name " << quoted(name) << " ;\n  ]";
  return out.str();
}

std::string control_port(const PlugLv2Port& spec, int index, IPlugAdapter& plug) {
  const IParam* param = plug.GetParam(spec.paramIdx);
  std::ostringstream out;
  out << "[\n    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << index << " ;\n    lv2:symbol "
      << quoted(spec.symbol) << " ;\n    lv2:name " << quoted(param->GetNameForHost())
      << " ;\n    lv2:default " << decimal(Lv2PortFromNormalized(spec, param->GetNormalized()))
      << " ;\n    lv2:minimum " << decimal(spec.minimum) << " ;\n    lv2:maximum " << decimal(spec.maximum)
      << " ;\n";
  if (spec.unit) out << "    units:unit units:" << spec.unit << " ;\n";
  if (spec.enumeration) {
    out << "    lv2:portProperty lv2:integer , lv2:enumeration ;\n    lv2:scalePoint";
    const int first = int(spec.minimum), last = int(spec.maximum);
    for (int v = first; v <= last; ++v) {
      const std::string label = param->GetDisplayForHost(Lv2PortToNormalized(spec, v), true);
      out << (v == first ? " " : " ,\n      ") << "[ rdfs:label " << quoted(label) << " ; rdf:value "
          << decimal(v) << " ]";
    }
    out << " ;\n";
  }
  out << "  ]";
  return out.str();
}

std::string toggle_port(int index, const char* symbol, const char* name, const char* designation,
                        double deflt, bool hidden) {
  std::ostringstream out;
  out << "[\n    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << index << " ;\n    lv2:symbol "
      << quoted(symbol) << " ;\n    lv2:name " << quoted(name) << " ;\n    lv2:designation " << designation
      << " ;\n    lv2:portProperty lv2:toggled" << (hidden ? " , pprops:notOnGUI" : "")
      << " ;\n    lv2:default " << decimal(deflt) << " ;\n    lv2:minimum 0.0 ;\n    lv2:maximum 1.0 ;\n  ]";
  return out.str();
}

std::string plugin(const Lv2PortLayout& layout, IPlugAdapter& plug) {
  const PlugDescription& d = ThePlugDescription();
  const bool stereo = layout.channels == 2;
  std::ostringstream out;
  out << "<" << layout.Uri() << ">\n  a lv2:Plugin , lv2:EQPlugin ;\n  doap:name "
      << quoted(std::string(d.effectName) + (stereo ? " (stereo)" : "")) << " ;\n"
      << "  lv2:project <" << d.lv2Uri << "#project> ;\n"
      << "  lv2:optionalFeature urid:map , opts:options ;\n"
      << "  opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
      << "  lv2:extensionData state:interface ;\n  ui:ui <" << Lv2PortLayout::UiUri() << "> ;\n  lv2:port ";
  const char* side[2] = {"left", "right"};
  std::string sep;
  for (int c = 0; c < layout.channels; ++c) {
    const std::string suffix = stereo ? std::string("_") + side[c][0] : "";
    const std::string nameSuffix = stereo ? std::string(" ") + side[c] : "";
    out << sep << audio_port("InputPort", layout.AudioIn(c), "in" + suffix, "Input" + nameSuffix);
    sep = " , ";
  }
  for (int c = 0; c < layout.channels; ++c) {
    const std::string suffix = stereo ? std::string("_") + side[c][0] : "";
    const std::string nameSuffix = stereo ? std::string(" ") + side[c] : "";
    out << sep << audio_port("OutputPort", layout.AudioOut(c), "out" + suffix, "Output" + nameSuffix);
  }
  for (int k = 0; k < d.lv2PortCount; ++k) out << sep << control_port(d.lv2Ports[k], layout.Control(k), plug);
  out << sep << toggle_port(layout.Enabled(), "enabled", "Enabled", "lv2:enabled", 1.0, false);
  out << sep
      << toggle_port(layout.FreeWheeling(), "freewheel", "Free-wheeling", "lv2:freeWheeling", 0.0, true);
  out << sep << "[\n    a lv2:OutputPort , lv2:ControlPort ;\n    lv2:index " << layout.Latency()
      << " ;\n    lv2:symbol \"latency\" ;\n    lv2:name \"Latency\" ;\n    lv2:designation lv2:latency ;\n"
      << "    lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
      << "    units:unit units:frame ;\n    lv2:minimum 0.0 ;\n    lv2:maximum 0.0 ;\n  ] .\n\n";
  return out.str();
}

const char* kPrefixes =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

bool write_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) std::fprintf(stderr, "resonix-lv2-ttl: cannot write %s\n", path.c_str());
  return bool(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: resonix-lv2-ttl <bundle-folder> <module-file-name>\n");
    return 2;
  }
  const std::string folder = argv[1], module = argv[2];
  std::unique_ptr<IPlugAdapter> plug(CreatePlugInstance(IInstanceInfo{}));
  if (!plug) {
    std::fprintf(stderr, "resonix-lv2-ttl: the plug-in could not be created\n");
    return 1;
  }
  const PlugDescription& d = ThePlugDescription();
  const std::string ttl = module.substr(0, module.rfind('.')) + ".ttl";
  const Lv2PortLayout mono(1), stereo(2);

  std::ostringstream manifest;
  manifest << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           << "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n";
  for (const Lv2PortLayout* layout : {&mono, &stereo})
    manifest << "<" << layout->Uri() << ">\n  a lv2:Plugin ;\n  lv2:binary <" << module
             << "> ;\n  rdfs:seeAlso <" << ttl << "> .\n\n";
  manifest << "<" << Lv2PortLayout::UiUri() << ">\n  a ui:X11UI ;\n  ui:binary <" << module
           << "> ;\n  rdfs:seeAlso <" << ttl << "> .\n";

  std::ostringstream body;
  body
      << kPrefixes << "<" << d.lv2Uri << "#project>\n  a doap:Project ;\n  doap:name " << quoted(d.effectName)
      << " ;\n  doap:maintainer [ foaf:name " << quoted(d.vendor) << " ; foaf:homepage <" << d.vendorUrl
      << "> ; foaf:mbox <mailto:" << d.vendorEmail << "> ] .\n\n"
      << plugin(mono, *plug) << plugin(stereo, *plug) << "<" << Lv2PortLayout::UiUri()
      << ">\n  a ui:X11UI ;\n"
      << "  lv2:requiredFeature ui:parent , ui:idleInterface , <http://lv2plug.in/ns/ext/instance-access> ;\n"
      << "  lv2:optionalFeature ui:resize , ui:touch ;\n  lv2:extensionData ui:idleInterface .\n";

  return write_file(folder + "/manifest.ttl", manifest.str()) && write_file(folder + "/" + ttl, body.str())
             ? 0
             : 1;
}
