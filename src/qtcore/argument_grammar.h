#pragma once

// The argument grammar of pelorus-cli's subcommands and of the simulator: what a command takes,
// declared once, and the parse of its words. (The desktop program's own command line, one text
// turned into a startup command, is app/command_line.h.)

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelorus {

// One option a command line takes: "--name VALUE" when `value` names the value, a flag when it is
// null. `valueIf`, when set, makes the value optional: the next word is the option's value only
// when it passes the test, otherwise the option stands alone (its value is then empty).
struct OptionWord {
  const char* name;  // with its dashes: "--rows"
  const char* value = nullptr;
  const char* help = "";
  bool required = false;  // shown without brackets; leaving it out is a usage error
  bool (*valueIf)(std::string_view next) = nullptr;
};

// One word without dashes (a file, a number) in the order the command takes them.
struct NameWord {
  const char* name;  // as the usage shows it: "IN.dvb"
  const char* help = "";
  bool optional = false;
  bool repeats = false;  // one or more ("IN.txt...")
};

// What a command takes, declared once: the usage, the help, the checks and the completion are
// all drawn from it.
struct CommandLine {
  std::vector<NameWord> names = {};
  std::vector<OptionWord> options = {};
  const char* note = nullptr;  // shown after the usage line, e.g. the values a name may have
};

// The options and names of one command line, once it passed its declaration's checks.
class ParsedLine {
 public:
  const std::vector<std::string>& Names() const { return names_; }
  const std::string& Name(size_t index) const { return names_.at(index); }
  bool Has(std::string_view option) const { return values_.find(option) != values_.end(); }
  // The option's value, or null when it was not given.
  const std::string* Value(std::string_view option) const;
  std::string ValueOr(std::string_view option, const std::string& fallback) const;

  // The word that picked an action of a command that has them ("scsi capture"), else empty.
  std::string action;

 private:
  friend struct LineParser;
  std::vector<std::string> names_;
  std::map<std::string, std::string, std::less<>> values_;  // flags hold an empty value
};

enum class LineFault {
  kNone,
  kUnknownOption,    // `subject` is the option as given, with its dashes
  kMissingValue,     // `subject` is the option
  kRepeatedOption,   // `subject` is the option
  kUnexpectedValue,  // a flag given a value with '='; `subject` is the flag
  kEmptyValue,       // `subject` is the option
  kMissingOption,    // a required option was left out; `subject` is the option
  kNameCount,        // too few or too many names
};

struct LineResult {
  LineFault fault = LineFault::kNone;
  std::string subject;
  ParsedLine parsed;
};

// Parses the words after a command's name. Only words that begin with "--" are options (a word
// with one dash, "-" or "-5", is a name); "--" ends the options; "--name=value" is the same as
// "--name value".
LineResult ParseArguments(const CommandLine& line, std::span<const std::string> words);

// Where the first word that is not an option stands, when only `options` may come before it;
// words.size() when there is none. An unknown option before it is reported as the parse does.
struct LeadingName {
  size_t index = 0;
  LineFault fault = LineFault::kNone;
  std::string subject;
};
LeadingName FindLeadingName(std::span<const OptionWord> options,
                            std::span<const std::string> words);

// "NAME... --opt VALUE [--flag]": the names, then the options in declaration order.
std::string Synopsis(const CommandLine& line);
// One line per option and per name with a help text, aligned; empty when none has one.
std::string OptionHelp(const CommandLine& line);
// The fault as one sentence without the program's name, e.g. "unknown option '--x'".
std::string DescribeFault(LineFault fault, const std::string& subject);

}  // namespace pelorus
