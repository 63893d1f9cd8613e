#pragma once

#include <QSettings>
#include <memory>

#include "app/options_store.h"

namespace pelorus {

// The options under QSettings("Haldane", "Pelorus"): the registry key on Windows, an INI file
// on Linux. Numbers are stored as 32-bit numbers (DWORDs in the registry), folders as texts.
// The store exists when its file (or registry key) does: nothing else is written to mark it.
class QSettingsOptionsStore : public OptionsStore {
 public:
  QSettingsOptionsStore();
  // A store in a given INI file; for tests and for running several editors side by side.
  explicit QSettingsOptionsStore(const QString& iniPath);
  // A store over given settings (tests use a format of their own to see the stored types).
  explicit QSettingsOptionsStore(std::unique_ptr<QSettings> settings);

  bool CreateOrOpen(bool& created) override;
  bool Exists() override;
  std::optional<uint32_t> ReadNumber(std::string_view name) override;
  std::optional<std::string> ReadText(std::string_view name) override;
  void WriteNumber(std::string_view name, uint32_t value) override;
  void WriteText(std::string_view name, std::string_view value) override;
  bool Flush() override;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace pelorus
