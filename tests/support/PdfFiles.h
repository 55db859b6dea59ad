#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>

namespace varne::test {

// What poppler's tools read from a PDF file.
// The text as `pdftotext -layout` gives it; empty when the tool fails.
QString pdfText(const QString& pdfPath);
// The fields of `pdfinfo` ("Pages", "Page size", "Title" ...); empty when the tool fails.
std::map<QString, QString> pdfInfo(const QString& pdfPath);
// One line per font of `pdffonts`, below its two header lines.
QStringList pdfFonts(const QString& pdfPath);

// The lines of `text` with runs of blanks made one blank and the ends trimmed, empty lines left
// out: how a text's lines are compared with a PDF's, where the gaps are measured, not typed.
QStringList normalisedLines(const QString& text);
// Whether `wanted` (normalised lines) appear in `lines` in this order, each within one line
// (a line may hold several, and other lines may come between). On failure `missing` names the
// first line not found in order.
bool containsInOrder(const QStringList& lines, const QStringList& wanted, QString& missing);

} // namespace varne::test
