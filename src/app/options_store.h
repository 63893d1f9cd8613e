#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pelorus {

// Where the options persist: the user's settings key. The Qt front ends keep them with
// QSettings; tests use the in-memory store below.
class OptionsStore {
 public:
  virtual ~OptionsStore() = default;
  // Creates the key when it is missing. False when it can be neither created nor opened;
  // `created` tells a new key.
  virtual bool CreateOrOpen(bool& created) = 0;
  virtual bool Exists() = 0;
  // No value when the value is missing or its data does not fit a 32-bit number.
  virtual std::optional<uint32_t> ReadNumber(std::string_view name) = 0;
  virtual std::optional<std::string> ReadText(std::string_view name) = 0;
  virtual void WriteNumber(std::string_view name, uint32_t value) = 0;
  virtual void WriteText(std::string_view name, std::string_view value) = 0;
  // Makes the written values durable. False when they could not be written.
  virtual bool Flush() { return true; }
};

// Keeps the options in memory; each value is a number or a text, as a real store may hold
// either under any name.
class MemoryOptionsStore : public OptionsStore {
 public:
  using Value = std::variant<uint32_t, std::string>;

  bool CreateOrOpen(bool& created) override;
  bool Exists() override { return exists_; }
  std::optional<uint32_t> ReadNumber(std::string_view name) override;
  std::optional<std::string> ReadText(std::string_view name) override;
  void WriteNumber(std::string_view name, uint32_t value) override;
  void WriteText(std::string_view name, std::string_view value) override;
  bool Flush() override;

  std::map<std::string, Value, std::less<>>& values() { return values_; }
  void SetExists(bool exists) { exists_ = exists; }
  void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
  // Behaves as a settings file in a folder the user may not write: opening seems to work and
  // the values are taken, but nothing reaches the disk, so the store never comes to exist.
  void SetUnwritable(bool unwritable) { unwritable_ = unwritable; }

 private:
  std::map<std::string, Value, std::less<>> values_;
  bool exists_ = false;
  bool unavailable_ = false;
  bool unwritable_ = false;
};

}  // namespace pelorus
