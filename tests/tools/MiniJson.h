#pragma once
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Just enough of a JSON reader to check the shapes the tool promises to other programs.
struct Json {
  enum Kind { null, number, string, array, object } kind = null;
  double num = 0;
  std::string str;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& k) const {
    static const Json none;
    auto it = members.find(k);
    return it == members.end() ? none : it->second;
  }
  const Json& operator[](size_t i) const { return items.at(i); }

  // Returns false on anything that is not one complete JSON value.
  static bool parse(const std::string& text, Json* out) {
    size_t pos = 0;
    return value(text, pos, out) && (skip(text, pos), pos == text.size());
  }

 private:
  static void skip(const std::string& t, size_t& p) {
    while (p < t.size() && std::isspace(static_cast<unsigned char>(t[p]))) ++p;
  }
  static bool literal(const std::string& t, size_t& p, const char* word) {
    const std::string w = word;
    if (t.compare(p, w.size(), w) != 0) return false;
    p += w.size();
    return true;
  }
  static bool text(const std::string& t, size_t& p, std::string* s) {
    if (p >= t.size() || t[p] != '"') return false;
    for (++p; p < t.size(); ++p) {
      if (t[p] == '"') {
        ++p;
        return true;
      }
      if (t[p] == '\\' && ++p >= t.size()) return false;
      s->push_back(t[p]);
    }
    return false;
  }
  static bool value(const std::string& t, size_t& p, Json* out) {
    skip(t, p);
    if (p >= t.size()) return false;
    const char c = t[p];
    if (c == '{') {
      out->kind = object;
      ++p;
      skip(t, p);
      if (p < t.size() && t[p] == '}') return ++p, true;
      for (;;) {
        skip(t, p);
        std::string k;
        if (!text(t, p, &k)) return false;
        skip(t, p);
        if (p >= t.size() || t[p++] != ':') return false;
        if (!value(t, p, &out->members[k])) return false;
        skip(t, p);
        if (p < t.size() && t[p] == ',') {
          ++p;
          continue;
        }
        return p < t.size() && t[p++] == '}';
      }
    }
    if (c == '[') {
      out->kind = array;
      ++p;
      skip(t, p);
      if (p < t.size() && t[p] == ']') return ++p, true;
      for (;;) {
        out->items.emplace_back();
        if (!value(t, p, &out->items.back())) return false;
        skip(t, p);
        if (p < t.size() && t[p] == ',') {
          ++p;
          continue;
        }
        return p < t.size() && t[p++] == ']';
      }
    }
    if (c == '"') {
      out->kind = string;
      return text(t, p, &out->str);
    }
    if (literal(t, p, "null")) return true;
    char* end = nullptr;
    out->num = std::strtod(t.c_str() + p, &end);
    if (end == t.c_str() + p) return false;
    out->kind = number;
    p = static_cast<size_t>(end - t.c_str());
    return true;
  }
};
