#include "pdf/PdfFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace varne {

namespace {

constexpr auto kFontDirectory = "/usr/share/fonts/truetype/dejavu/";

// Registers the font files and gives the family of the first; empty when none loads.
QString loadFamily(const QStringList& files) {
    QString family;
    for (const QString& file : files) {
        const int id =
            QFontDatabase::addApplicationFont(QString::fromLatin1(kFontDirectory) + file);
        const QStringList families =
            id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (family.isEmpty() && !families.isEmpty()) {
            family = families.front();
        }
    }
    return family;
}

PdfFonts loadFonts() {
    PdfFonts fonts;
    fonts.sans = loadFamily({"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"});
    fonts.mono = loadFamily({"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"});
    fonts.fromDejaVuFiles = !fonts.sans.isEmpty() && !fonts.mono.isEmpty();
    if (fonts.sans.isEmpty()) {
        fonts.sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }
    if (fonts.mono.isEmpty()) {
        fonts.mono = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }
    return fonts;
}

} // namespace

const PdfFonts& ReportFonts() {
    static const PdfFonts fonts = loadFonts();
    return fonts;
}

} // namespace varne
