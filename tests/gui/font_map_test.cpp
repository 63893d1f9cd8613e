// The stand-in faces: what the program asks for by its old names resolves to installed faces of
// the same kind, and the fixed-width ones stay fixed-width whatever is installed.
#include "font_map.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QtTest>

using namespace pelorus;

class FontMapTest : public QObject {
  Q_OBJECT

 private slots:
  void ArialResolvesToItsMetricTwinWhenInstalled() {
    if (!QFontDatabase::families().contains(QStringLiteral("Liberation Sans"))) {
      QSKIP("fonts-liberation2 is not installed");
    }
    QCOMPARE(MappedFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(MappedFont(QStringLiteral("arial"))).family(),
             QStringLiteral("Liberation Sans"));
  }

  void FixedFacesStayFixedWidth() {
    for (const char* family : {"Fixedsys", "Courier New"}) {
      const QFont font = MappedFont(QString::fromLatin1(family));
      QVERIFY2(QFontInfo(font).fixedPitch(), family);
      QVERIFY(QFontDatabase::families().contains(MappedFamily(QString::fromLatin1(family))));
    }
  }

  void UnknownFacesPassThroughOrFallBack() {
    QCOMPARE(MappedFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
    const QString fallback = MappedFamily(QStringLiteral("No Such Face At All"));
    QVERIFY(QFontDatabase::families().contains(fallback));
  }
};

QTEST_MAIN(FontMapTest)
#include "font_map_test.moc"
