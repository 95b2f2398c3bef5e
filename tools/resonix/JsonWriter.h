#pragma once
#include <ostream>
#include <string>

// Streams compact JSON: numbers with 17 significant digits, so every double reads back exactly;
// a value that is not finite becomes null, which JSON can carry and NaN cannot.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out(out) {}

  JsonWriter& begin_object();
  JsonWriter& end_object();
  JsonWriter& begin_array();
  JsonWriter& end_array();
  JsonWriter& key(const char* name);
  JsonWriter& value(double v);
  JsonWriter& value(int v);
  JsonWriter& value(const std::string& s);

  static std::string number(double v);
  static std::string quoted(const std::string& s);

 private:
  void separate();

  std::ostream& out;
  bool need_comma = false;
};
