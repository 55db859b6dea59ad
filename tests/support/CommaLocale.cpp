#include "support/CommaLocale.h"

#include <QProcess>

namespace varne::test {

namespace {

constexpr auto kLocaleName = "de_DE.UTF-8";

} // namespace

QProcessEnvironment commaLocaleEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LOCPATH", VARNE_TEST_LOCPATH);
    environment.insert("LANG", kLocaleName);
    environment.insert("LC_ALL", kLocaleName);
    return environment;
}

QProcessEnvironment cLocaleEnvironment() {
    QProcessEnvironment environment = commaLocaleEnvironment();
    environment.insert("LC_ALL", "C");
    return environment;
}

QString commaLocaleDecimalPoint() {
    QProcess locale;
    locale.setProcessEnvironment(commaLocaleEnvironment());
    locale.start("locale", {"-k", "decimal_point"});
    if (!locale.waitForFinished(10000) || locale.exitCode() != 0) {
        return "<locale(1) failed: " + QString::fromLocal8Bit(locale.readAllStandardError()) + ">";
    }
    const QString answer = QString::fromLocal8Bit(locale.readAllStandardOutput()).trimmed();
    const QString prefix = "decimal_point=\"";
    return answer.startsWith(prefix) && answer.endsWith('"')
               ? answer.mid(prefix.size(), answer.size() - prefix.size() - 1)
               : "<" + answer + ">";
}

void enterCommaLocaleEnvironment() {
    qputenv("LOCPATH", VARNE_TEST_LOCPATH);
    qputenv("LANG", kLocaleName);
    qputenv("LC_ALL", kLocaleName);
}

} // namespace varne::test
