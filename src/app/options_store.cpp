#include "app/options_store.h"

namespace pelorus {

bool MemoryOptionsStore::CreateOrOpen(bool& created) {
  created = false;
  if (unavailable_) return false;
  if (!exists_) {
    exists_ = !unwritable_;
    created = true;
  }
  return true;
}

std::optional<uint32_t> MemoryOptionsStore::ReadNumber(std::string_view name) {
  const auto found = values_.find(name);
  if (!exists_ || found == values_.end()) return std::nullopt;
  if (const auto* number = std::get_if<uint32_t>(&found->second)) return *number;
  return std::nullopt;
}

std::optional<std::string> MemoryOptionsStore::ReadText(std::string_view name) {
  const auto found = values_.find(name);
  if (!exists_ || found == values_.end()) return std::nullopt;
  if (const auto* text = std::get_if<std::string>(&found->second)) return *text;
  return std::nullopt;
}

void MemoryOptionsStore::WriteNumber(std::string_view name, uint32_t value) {
  if (exists_ && !unavailable_) values_[std::string(name)] = value;
}

void MemoryOptionsStore::WriteText(std::string_view name, std::string_view value) {
  if (exists_ && !unavailable_) values_[std::string(name)] = std::string(value);
}

bool MemoryOptionsStore::Flush() { return exists_ && !unwritable_; }

}  // namespace pelorus
