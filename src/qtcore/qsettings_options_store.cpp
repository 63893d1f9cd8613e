#include "qsettings_options_store.h"

#include <limits>

namespace pelorus {
namespace {

QString Key(std::string_view name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// Every store gets this value when it is created, so that a store that exists can be told from
// one that does not even when all its other values are gone.
constexpr char kCreatedMarker[] = "Created";

}  // namespace

QSettingsOptionsStore::QSettingsOptionsStore()
    : settings_(std::make_unique<QSettings>("Haldane", "Pelorus")) {}

QSettingsOptionsStore::QSettingsOptionsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

bool QSettingsOptionsStore::Exists() { return !settings_->allKeys().isEmpty(); }

bool QSettingsOptionsStore::CreateOrOpen(bool& created) {
  created = !Exists();
  if (created) {
    settings_->setValue(kCreatedMarker, 1);
    settings_->sync();
  }
  return settings_->status() == QSettings::NoError;
}

std::optional<uint32_t> QSettingsOptionsStore::ReadNumber(std::string_view name) {
  const QVariant value = settings_->value(Key(name));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  if (!ok || number < 0 || number > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return static_cast<uint32_t>(number);
}

std::optional<std::string> QSettingsOptionsStore::ReadText(std::string_view name) {
  const QVariant value = settings_->value(Key(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void QSettingsOptionsStore::WriteNumber(std::string_view name, uint32_t value) {
  settings_->setValue(Key(name), static_cast<qulonglong>(value));
}

void QSettingsOptionsStore::WriteText(std::string_view name, std::string_view value) {
  settings_->setValue(Key(name),
                      QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void QSettingsOptionsStore::Flush() { settings_->sync(); }

}  // namespace pelorus
