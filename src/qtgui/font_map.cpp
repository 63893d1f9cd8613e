#include "font_map.h"

#include <QFontDatabase>
#include <QStringList>
#include <array>
#include <cstdio>
#include <mutex>
#include <set>

namespace pelorus {
namespace {

struct FaceMapping {
  const char* asked;
  std::array<const char*, 2> standIns;  // first installed one wins
  bool fixedPitch;
};

// Liberation Sans has Arial's metrics; the mono faces keep Fixedsys's one-cell-per-character
// layout.
constexpr std::array kMappings = {
    FaceMapping{"Arial", {"Liberation Sans", "Arimo"}, false},
    FaceMapping{"Fixedsys", {"Liberation Mono", "DejaVu Sans Mono"}, true},
    FaceMapping{"Courier New", {"Liberation Mono", "DejaVu Sans Mono"}, true},
    FaceMapping{"Times New Roman", {"Liberation Serif", "Tinos"}, false},
};

const FaceMapping* MappingOf(const QString& family) {
  for (const FaceMapping& mapping : kMappings) {
    if (family.compare(QLatin1String(mapping.asked), Qt::CaseInsensitive) == 0) return &mapping;
  }
  return nullptr;
}

bool Installed(const QString& family) {
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

void NoteMissingOnce(const QString& family, const QString& used) {
  static std::mutex mutex;
  static std::set<QString> noted;
  const std::lock_guard lock(mutex);
  if (!noted.insert(family).second) return;
  std::fprintf(stderr, "Pelorus: no font for \"%s\" is installed; using \"%s\" instead\n",
               family.toUtf8().constData(), used.toUtf8().constData());
}

struct Resolved {
  QString family;
  bool fixedPitch = false;
  bool fellBack = false;  // neither a stand-in nor the face itself is installed
};

Resolved Resolve(const QString& family) {
  const FaceMapping* mapping = MappingOf(family);
  const bool fixed = mapping != nullptr && mapping->fixedPitch;
  if (mapping != nullptr) {
    for (const char* standIn : mapping->standIns) {
      if (Installed(QLatin1String(standIn))) return {QLatin1String(standIn), fixed, false};
    }
  }
  if (Installed(family)) return {family, fixed, false};
  const auto kind = fixed ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont;
  return {QFontDatabase::systemFont(kind).family(), fixed, true};
}

}  // namespace

QString MappedFamily(const QString& family) { return Resolve(family).family; }

QFont MappedFont(const QString& family) {
  const Resolved resolved = Resolve(family);
  if (resolved.fellBack) NoteMissingOnce(family, resolved.family);
  QFont font = resolved.fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
  font.setFamily(resolved.family);
  font.setStyleHint(resolved.fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
  font.setFixedPitch(resolved.fixedPitch);
  return font;
}

}  // namespace pelorus
