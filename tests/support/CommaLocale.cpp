#include "support/CommaLocale.h"

#include <cstdio>
#include <locale.h>

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

QString commaLocaleSample() {
    const QByteArray previous = qgetenv("LOCPATH");
    qputenv("LOCPATH", VARNE_TEST_LOCPATH);
    const locale_t german = newlocale(LC_NUMERIC_MASK, kLocaleName, nullptr);
    if (previous.isNull()) {
        qunsetenv("LOCPATH");
    } else {
        qputenv("LOCPATH", previous);
    }
    if (german == nullptr) {
        return QStringLiteral("<no locale %1 below %2>").arg(kLocaleName, VARNE_TEST_LOCPATH);
    }
    const locale_t before = uselocale(german);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", 0.405);
    uselocale(before);
    freelocale(german);
    return QString::fromLatin1(text);
}

void enterCommaLocaleEnvironment() {
    qputenv("LOCPATH", VARNE_TEST_LOCPATH);
    qputenv("LANG", kLocaleName);
    qputenv("LC_ALL", kLocaleName);
}

} // namespace varne::test
