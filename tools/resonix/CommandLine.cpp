#include "tools/resonix/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

const CommandLine::Option* CommandLine::find_long(const std::string& name) const {
  for (const Option& o : known)
    if (o.name == name) return &o;
  return nullptr;
}

const CommandLine::Option* CommandLine::find_short(char c) const {
  for (const Option& o : known)
    if (o.short_name && o.short_name == c) return &o;
  return nullptr;
}

bool CommandLine::parse(const std::vector<std::string>& args, std::string* error) {
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_done || a.size() < 2 || a[0] != '-') {
      words.push_back(a);  // also "-" alone
      continue;
    }
    if (a == "--") {
      options_done = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      wants_help = true;
      continue;
    }
    const Option* opt = nullptr;
    std::string inline_value;
    bool has_inline = false;
    if (a[1] == '-') {
      std::string name = a.substr(2);
      if (const size_t eq = name.find('='); eq != std::string::npos) {
        inline_value = name.substr(eq + 1);
        name.resize(eq);
        has_inline = true;
      }
      opt = find_long(name);
    } else if (a.size() == 2)
      opt = find_short(a[1]);
    else if (std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.') {
      words.push_back(a);  // a negative number, e.g. a value of -3
      continue;
    }
    if (!opt) {
      *error = "unknown option " + a;
      return false;
    }
    if (!opt->takes_value) {
      if (has_inline) {
        *error = "option --" + opt->name + " takes no value";
        return false;
      }
      values[opt->name] = "";
      continue;
    }
    if (!has_inline) {
      if (i + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      inline_value = args[++i];
    }
    if (values.count(opt->name)) {
      *error = "option --" + opt->name + " given twice";
      return false;
    }
    values[opt->name] = inline_value;
  }
  return true;
}

const std::string& CommandLine::value(const std::string& name) const {
  static const std::string none;
  const auto it = values.find(name);
  return it == values.end() ? none : it->second;
}

bool CommandLine::number(const std::string& name, double* out, std::string* error) const {
  const std::string& text = value(name);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
    *error = "option --" + name + " needs a number, not \"" + text + "\"";
    return false;
  }
  *out = v;
  return true;
}
