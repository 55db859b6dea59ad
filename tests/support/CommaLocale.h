#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace varne::test {

// A German desktop's environment: de_DE.UTF-8 (a decimal comma) in every category, from the
// locale the build makes below the build tree (LOCPATH), so nothing system-wide is needed.
QProcessEnvironment commaLocaleEnvironment();
// The same environment with LC_ALL=C, for the reference runs.
QProcessEnvironment cLocaleEnvironment();
// The decimal point of the test locale as locale(1) tells it: "," when it was built right.
// (Asked of another process: glibc keeps what newlocale reads of LOCPATH for good.)
QString commaLocaleDecimalPoint();
// Puts the test locale in this process's environment (before its application object is made).
void enterCommaLocaleEnvironment();

} // namespace varne::test
