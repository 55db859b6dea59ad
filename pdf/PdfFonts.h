#pragma once

#include <QString>

namespace varne {

// The font families of the PDF report: DejaVu Sans for the text and DejaVu Sans Mono for the
// result lines, whose columns are laid out with blanks. Loaded from Debian's fonts-dejavu-core
// into the application's font database, so that the report embeds those very files whatever
// fontconfig would pick; where they are missing, the nearest families fontconfig offers.
// Needs the GUI application object.
struct PdfFonts {
    QString sans;
    QString mono;
    bool fromDejaVuFiles = false;
};

const PdfFonts& ReportFonts();

} // namespace varne
