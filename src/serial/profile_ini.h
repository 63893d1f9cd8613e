#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelorus {

// A read-only profile file in the usual INI form: "[Section]" lines, "key=value" lines, lines
// starting with ';' or '#' are comments. Section and key names are compared without regard to
// case; blanks around names and values are dropped, and so are quotes around a whole value.
// The first of two equal keys counts. Anything else on a line is ignored.
class ProfileIni {
 public:
  // More than this is not a profile anyone wrote by hand; the rest of such a file is ignored.
  static constexpr size_t kMaxFileSize = 1u << 20;

  static ProfileIni Parse(std::span<const uint8_t> bytes);
  // Nothing, with what failed and why in `why`, when the file cannot be read whole: missing,
  // not a regular file, unreadable or over the bound. Never blocks on a FIFO or a device.
  static std::optional<ProfileIni> Load(const std::string& path, std::string* why = nullptr);

  // The value of `key` in `section`, cut to its first `maxLength` characters; nothing when the
  // file does not hold the key.
  std::optional<std::string> Value(std::string_view section, std::string_view key,
                                   size_t maxLength) const;
  size_t SectionCount() const { return sections_.size(); }

 private:
  std::map<std::string, std::map<std::string, std::string>> sections_;  // lower-case names
};

}  // namespace pelorus
