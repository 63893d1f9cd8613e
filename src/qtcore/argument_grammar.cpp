#include "argument_grammar.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <algorithm>

namespace pelorus {

// Reaches into ParsedLine for the parse below.
struct LineParser {
  static ParsedLine& Parsed(LineResult& result) { return result.parsed; }
  static std::vector<std::string>& Names(ParsedLine& parsed) { return parsed.names_; }
  static auto& Values(ParsedLine& parsed) { return parsed.values_; }
};

namespace {

// Every word that does not begin with "--" reaches the parser as a token holding its index, so
// that the parser never reads a word with one dash as an option, and the names it returns map
// back to the words exactly. A NUL cannot be part of a program's argument, so no word the user
// gives can look like a token.
QString Token(size_t index) { return QChar(u'\0') + QString::number(index); }

std::string FromParser(const QString& text, std::span<const std::string> words) {
  if (!text.isEmpty() && text[0] == QChar(u'\0')) {
    bool ok = false;
    const size_t index = text.mid(1).toULongLong(&ok);
    if (ok && index < words.size()) return words[index];
  }
  return text.toStdString();
}

QString Bare(const char* name) { return QString::fromLatin1(name + 2); }

const OptionWord* FindOption(std::span<const OptionWord> options, std::string_view name) {
  for (const OptionWord& option : options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

void Declare(QCommandLineParser& parser, std::span<const OptionWord> options) {
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const OptionWord& option : options) {
    const QString valueName = option.value != nullptr     ? QString::fromLatin1(option.value)
                              : option.valueIf != nullptr ? QStringLiteral("VALUE")
                                                          : QString();
    parser.addOption(
        QCommandLineOption(Bare(option.name), QString::fromUtf8(option.help), valueName));
  }
}

// The words as the parser sees them: the program's name first, the tokens, and an option whose
// value is optional written as "--name=" when the next word is not its value.
QStringList ParserWords(std::span<const OptionWord> options, std::span<const std::string> words) {
  QStringList list{QStringLiteral("pelorus")};
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!word.starts_with("--")) {
      list << Token(i);
      continue;
    }
    list << QString::fromStdString(word);
    if (optionsEnded) continue;
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionWord* option = FindOption(options, word);
    if (option == nullptr || option->valueIf == nullptr) continue;
    if (i + 1 < words.size() && option->valueIf(words[i + 1])) {
      list << Token(++i);
    } else {
      list.last() += u'=';
    }
  }
  return list;
}

// Why the parser refused the words, as one of our faults.
LineFault ExplainFailure(const QCommandLineParser& parser, std::span<const OptionWord> options,
                         std::span<const std::string> words, std::string& subject) {
  const QStringList unknown = parser.unknownOptionNames();
  if (!unknown.isEmpty()) {
    subject = "--" + unknown.first().toStdString();
    return LineFault::kUnknownOption;
  }
  for (const std::string& word : words) {
    if (word == "--") break;
    const size_t equals = word.find('=');
    if (equals == std::string::npos) continue;
    const OptionWord* option = FindOption(options, std::string_view(word).substr(0, equals));
    if (option != nullptr && option->value == nullptr && option->valueIf == nullptr) {
      subject = option->name;
      return LineFault::kUnexpectedValue;
    }
  }
  // What is left is a valued option as the last word.
  subject = words.empty() ? std::string() : words.back();
  return LineFault::kMissingValue;
}

std::string OptionShape(const OptionWord& option) {
  std::string shape = option.name;
  if (option.value != nullptr) {
    shape += ' ';
    if (option.valueIf != nullptr) shape += '[';
    shape += option.value;
    if (option.valueIf != nullptr) shape += ']';
  }
  return shape;
}

}  // namespace

const std::string* ParsedLine::Value(std::string_view option) const {
  const auto found = values_.find(option);
  return found == values_.end() ? nullptr : &found->second;
}

std::string ParsedLine::ValueOr(std::string_view option, const std::string& fallback) const {
  const std::string* value = Value(option);
  return value != nullptr ? *value : fallback;
}

LineResult ParseArguments(const CommandLine& line, std::span<const std::string> words) {
  LineResult result;
  QCommandLineParser parser;
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  Declare(parser, line.options);
  if (!parser.parse(ParserWords(line.options, words))) {
    result.fault = ExplainFailure(parser, line.options, words, result.subject);
    return result;
  }
  ParsedLine& parsed = LineParser::Parsed(result);
  const QStringList given = parser.optionNames();
  for (const OptionWord& option : line.options) {
    const QString bare = Bare(option.name);
    if (!parser.isSet(bare)) {
      if (option.required) {
        result.fault = LineFault::kMissingOption;
        result.subject = option.name;
      }
      continue;
    }
    const bool valued = option.value != nullptr || option.valueIf != nullptr;
    // A value given twice leaves the reader to guess which one counts.
    if (valued && given.count(bare) > 1) {
      result.fault = LineFault::kRepeatedOption;
      result.subject = option.name;
      return result;
    }
    std::string value = valued ? FromParser(parser.value(bare), words) : std::string();
    // An empty value names no file, port or number.
    if (valued && value.empty() && option.valueIf == nullptr) {
      result.fault = LineFault::kEmptyValue;
      result.subject = option.name;
      return result;
    }
    LineParser::Values(parsed).emplace(option.name, std::move(value));
  }

  std::vector<std::string>& names = LineParser::Names(parsed);
  for (const QString& name : parser.positionalArguments()) names.push_back(FromParser(name, words));
  size_t least = 0;
  bool open = false;
  for (const NameWord& name : line.names) {
    if (!name.optional) ++least;
    open = open || name.repeats;
  }
  if (names.size() < least || (!open && names.size() > line.names.size())) {
    result.fault = LineFault::kNameCount;
    return result;
  }
  return result;
}

LeadingName FindLeadingName(std::span<const OptionWord> options,
                            std::span<const std::string> words) {
  LeadingName found;
  found.index = words.size();
  QCommandLineParser parser;
  // Whatever follows the name belongs to it, so only the words before it are read here.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  Declare(parser, options);
  if (!parser.parse(ParserWords(options, words))) {
    found.fault = ExplainFailure(parser, options, words, found.subject);
    return found;
  }
  const QStringList names = parser.positionalArguments();
  if (names.isEmpty()) return found;
  const QString& first = names.first();
  bool ok = false;
  const size_t index = first.mid(1).toULongLong(&ok);
  if (!first.isEmpty() && first[0] == QChar(u'\0') && ok) {
    found.index = index;
  } else {
    // A name after "--" that begins with dashes: find it after the "--".
    const auto end = std::find(words.begin(), words.end(), std::string("--"));
    found.index = static_cast<size_t>(end - words.begin()) + 1;
  }
  return found;
}

std::string Synopsis(const CommandLine& line) {
  std::string text;
  auto add = [&text](const std::string& part) {
    if (!text.empty()) text += ' ';
    text += part;
  };
  for (const NameWord& name : line.names) {
    std::string part = name.name;
    if (name.repeats) part += "...";
    add(name.optional ? "[" + part + "]" : part);
  }
  for (const OptionWord& option : line.options) {
    add(option.required ? OptionShape(option) : "[" + OptionShape(option) + "]");
  }
  return text;
}

std::string OptionHelp(const CommandLine& line) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const NameWord& name : line.names) {
    if (*name.help != '\0') rows.emplace_back(name.name, name.help);
  }
  for (const OptionWord& option : line.options) {
    if (*option.help != '\0') rows.emplace_back(OptionShape(option), option.help);
  }
  size_t width = 0;
  for (const auto& row : rows) width = std::max(width, row.first.size());
  std::string text;
  for (const auto& [shape, help] : rows) {
    text += "  " + shape + std::string(width - shape.size() + 2, ' ') + help + "\n";
  }
  return text;
}

std::string DescribeFault(LineFault fault, const std::string& subject) {
  switch (fault) {
    case LineFault::kNone:
    case LineFault::kNameCount:
      return {};
    case LineFault::kUnknownOption:
      return "unknown option '" + subject + "'";
    case LineFault::kMissingValue:
      return "option '" + subject + "' needs a value";
    case LineFault::kRepeatedOption:
      return "option '" + subject + "' is given more than once";
    case LineFault::kUnexpectedValue:
      return "option '" + subject + "' takes no value";
    case LineFault::kEmptyValue:
      return "option '" + subject + "' has an empty value";
    case LineFault::kMissingOption:
      return "option '" + subject + "' is required";
  }
  return {};
}

}  // namespace pelorus
