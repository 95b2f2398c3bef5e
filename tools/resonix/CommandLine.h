#pragma once
#include <map>
#include <string>
#include <vector>

// The arguments of one subcommand: positional words, options with a value ("--rate 48000" or
// "--rate=48000", "-o FILE") and plain switches ("--json").
class CommandLine {
 public:
  struct Option {
    std::string name;  // long name without the dashes, e.g. "rate"
    char short_name;   // e.g. 'o', or 0
    bool takes_value;
  };

  explicit CommandLine(std::vector<Option> options) : known(std::move(options)) {}

  // False with a message on an unknown option or a missing value. "--help" and "-h" set help().
  bool parse(const std::vector<std::string>& args, std::string* error);

  bool help() const { return wants_help; }
  bool has(const std::string& name) const { return values.count(name) != 0; }
  const std::string& value(const std::string& name) const;
  const std::vector<std::string>& positional() const { return words; }

  // A finite number from a whole option value; false with a message otherwise.
  bool number(const std::string& name, double* out, std::string* error) const;

 private:
  const Option* find_long(const std::string& name) const;
  const Option* find_short(char c) const;

  std::vector<Option> known;
  std::map<std::string, std::string> values;
  std::vector<std::string> words;
  bool wants_help = false;
};
