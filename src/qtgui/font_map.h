#pragma once

#include <QFont>
#include <QString>

namespace pelorus {

// The program asks for the faces it was laid out with ("Arial", "Fixedsys"). Where those are
// missing, a face with the same metrics (or at least a fixed-width one) stands in, so text placed
// at fixed fractions of a page still fits and a hex dump still lines up.
//
// The font for `family`: the stand-in when one is installed, else the family itself when
// installed, else Qt's default of the right kind (fixed-width for fixed faces) with a one-time
// note on stderr.
QFont MappedFont(const QString& family);

// The family MappedFont resolves `family` to (for tests and the note).
QString MappedFamily(const QString& family);

}  // namespace pelorus
