#include "qsettings_options_store.h"

#include <QFileInfo>
#include <limits>

namespace pelorus {
namespace {

QString Key(std::string_view name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QSettingsOptionsStore::QSettingsOptionsStore()
    : settings_(std::make_unique<QSettings>("Haldane", "Pelorus")) {}

QSettingsOptionsStore::QSettingsOptionsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

QSettingsOptionsStore::QSettingsOptionsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

bool QSettingsOptionsStore::Exists() {
#ifdef Q_OS_WIN
  // The registry has no file; a key holding values is one that exists.
  if (settings_->format() == QSettings::NativeFormat) return !settings_->childKeys().isEmpty();
#endif
  return QFileInfo::exists(settings_->fileName());
}

bool QSettingsOptionsStore::CreateOrOpen(bool& created) {
  created = !Exists();
  // QSettings creates the file at the first sync; whether it will be able to is known now.
  return created ? settings_->isWritable() : settings_->status() == QSettings::NoError;
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
  settings_->setValue(Key(name), static_cast<quint32>(value));
}

void QSettingsOptionsStore::WriteText(std::string_view name, std::string_view value) {
  settings_->setValue(Key(name),
                      QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool QSettingsOptionsStore::Flush() {
  settings_->sync();
  return settings_->status() == QSettings::NoError && Exists();
}

}  // namespace pelorus
