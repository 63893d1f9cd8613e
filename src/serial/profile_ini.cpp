#include "serial/profile_ini.h"

#include <vector>

#include "common/byte_reader.h"
#include "common/file_io.h"

namespace pelorus {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

ProfileIni ProfileIni::Parse(std::span<const uint8_t> bytes) {
  ProfileIni ini;
  ByteReader reader(bytes.first(std::min(bytes.size(), kMaxFileSize)));
  std::map<std::string, std::string>* section = nullptr;
  std::string line;
  while (reader.Remaining() > 0 || !line.empty()) {
    const bool more = reader.Remaining() > 0;
    const char c = more ? static_cast<char>(reader.U8()) : '\n';
    if (c != '\n') {
      line.push_back(c);
      continue;
    }
    const std::string_view text = Trim(line);
    if (text.starts_with('[')) {
      const size_t close = text.find(']');
      section = close == std::string_view::npos
                    ? nullptr
                    : &ini.sections_[Lower(Trim(text.substr(1, close - 1)))];
    } else if (section != nullptr && !text.empty() && text.front() != ';' && text.front() != '#') {
      const size_t equals = text.find('=');
      const std::string_view key =
          equals == std::string_view::npos ? std::string_view() : Trim(text.substr(0, equals));
      if (!key.empty()) {
        std::string_view value = Trim(text.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
          value = value.substr(1, value.size() - 2);
        }
        section->try_emplace(Lower(key), value);
      }
    }
    line.clear();
  }
  return ini;
}

std::optional<ProfileIni> ProfileIni::Load(const std::string& path, std::string* why) {
  const FileContents contents = ReadWholeFile(path, kMaxFileSize);
  if (!contents.opened || contents.readFailed) {
    if (why != nullptr) *why = FileProblemText(path, contents);
    return std::nullopt;
  }
  return Parse(contents.bytes);
}

std::optional<std::string> ProfileIni::Value(std::string_view section, std::string_view key,
                                             size_t maxLength) const {
  const auto found = sections_.find(Lower(section));
  if (found == sections_.end()) return std::nullopt;
  const auto entry = found->second.find(Lower(key));
  if (entry == found->second.end()) return std::nullopt;
  return entry->second.substr(0, maxLength);
}

}  // namespace pelorus
