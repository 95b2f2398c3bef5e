#include "framework/hosts/vst3/moduleinfo/ModuleInfoWriter.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "pluginterfaces/base/funknown.h"

using namespace Steinberg;

namespace {
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else
      out += char(c);
  }
  return out + "\"";
}

std::string Bool(bool value) {
  return value ? "true" : "false";
}

std::vector<std::string> SplitSubCategories(const std::string& text) {
  std::vector<std::string> out;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, '|'))
    if (!part.empty()) out.push_back(part);
  return out;
}
}  // namespace

std::string ModuleInfoWriter::Write(IPluginFactory* factory, const std::string& name,
                                    const std::string& version) {
  PFactoryInfo info("", "", "", 0);
  factory->getFactoryInfo(&info);
  FUnknownPtr<IPluginFactory2> factory2(factory);

  std::ostringstream json;
  json << "{\n";
  json << "  \"Name\": " << Quote(name) << ",\n";
  json << "  \"Version\": " << Quote(version) << ",\n";
  json << "  \"Factory Info\": {\n";
  json << "    \"Vendor\": " << Quote(info.vendor) << ",\n";
  json << "    \"URL\": " << Quote(info.url) << ",\n";
  json << "    \"E-Mail\": " << Quote(info.email) << ",\n";
  json << "    \"Flags\": {\n";
  json << "      \"Unicode\": " << Bool(info.flags & PFactoryInfo::kUnicode) << ",\n";
  json << "      \"Classes Discardable\": " << Bool(info.flags & PFactoryInfo::kClassesDiscardable) << ",\n";
  json << "      \"Component Non Discardable\": " << Bool(info.flags & PFactoryInfo::kComponentNonDiscardable)
       << "\n";
  json << "    }\n";
  json << "  },\n";
  json << "  \"Classes\": [";
  const int32 n = factory->countClasses();
  for (int32 i = 0; i < n; ++i) {
    PClassInfo2 c;
    if (factory2) {
      if (factory2->getClassInfo2(i, &c) != kResultOk) continue;
    } else {
      PClassInfo basic;
      if (factory->getClassInfo(i, &basic) != kResultOk) continue;
      c = PClassInfo2(basic.cid, basic.cardinality, basic.category, basic.name, 0, "", "", "", "");
    }
    char8 cid[64] = {};
    FUID::fromTUID(c.cid).toString(cid);
    json << (i ? ",\n" : "\n") << "    {\n";
    json << "      \"CID\": " << Quote(cid) << ",\n";
    json << "      \"Category\": " << Quote(c.category) << ",\n";
    json << "      \"Name\": " << Quote(c.name) << ",\n";
    json << "      \"Vendor\": " << Quote(c.vendor[0] ? c.vendor : info.vendor) << ",\n";
    json << "      \"Version\": " << Quote(c.version) << ",\n";
    json << "      \"SDKVersion\": " << Quote(c.sdkVersion) << ",\n";
    json << "      \"Sub Categories\": [";
    const std::vector<std::string> subs = SplitSubCategories(c.subCategories);
    for (size_t s = 0; s < subs.size(); ++s) json << (s ? ", " : "") << Quote(subs[s]);
    json << "],\n";
    json << "      \"Class Flags\": " << c.classFlags << ",\n";
    json << "      \"Cardinality\": " << c.cardinality << ",\n";
    json << "      \"Snapshots\": []\n";
    json << "    }";
  }
  json << (n ? "\n  ]\n" : "]\n");
  json << "}\n";
  return json.str();
}
