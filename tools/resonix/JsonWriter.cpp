#include "tools/resonix/JsonWriter.h"

#include <cmath>
#include <cstdio>

std::string JsonWriter::number(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string JsonWriter::quoted(const std::string& s) {
  std::string q = "\"";
  for (const unsigned char c : s) {
    if (c == '"' || c == '\\') {
      q += '\\';
      q += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      q += buf;
    } else
      q += static_cast<char>(c);
  }
  return q + "\"";
}

void JsonWriter::separate() {
  if (need_comma) out << ',';
  need_comma = true;
}

JsonWriter& JsonWriter::begin_object() {
  separate();
  out << '{';
  need_comma = false;
  return *this;
}

JsonWriter& JsonWriter::end_object() {
  out << '}';
  need_comma = true;
  return *this;
}

JsonWriter& JsonWriter::begin_array() {
  separate();
  out << '[';
  need_comma = false;
  return *this;
}

JsonWriter& JsonWriter::end_array() {
  out << ']';
  need_comma = true;
  return *this;
}

JsonWriter& JsonWriter::key(const char* name) {
  separate();
  out << quoted(name) << ':';
  need_comma = false;
  return *this;
}

JsonWriter& JsonWriter::value(double v) {
  separate();
  out << number(v);
  return *this;
}

JsonWriter& JsonWriter::value(int v) {
  separate();
  out << v;
  return *this;
}

JsonWriter& JsonWriter::value(const std::string& s) {
  separate();
  out << quoted(s);
  return *this;
}
