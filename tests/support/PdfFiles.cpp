#include "support/PdfFiles.h"

#include "support/ProcessRunner.h"

#include <QRegularExpression>

namespace varne::test {

namespace {

QString run(const QString& tool, const QStringList& arguments) {
    const ProcessResult result = runProgram(tool, arguments, QString());
    return result.exitCode == 0 ? QString::fromUtf8(result.out) : QString();
}

} // namespace

QString pdfText(const QString& pdfPath) {
    return run("pdftotext", {"-layout", "-enc", "UTF-8", pdfPath, "-"});
}

std::map<QString, QString> pdfInfo(const QString& pdfPath) {
    std::map<QString, QString> fields;
    for (const QString& line : run("pdfinfo", {pdfPath}).split('\n')) {
        const auto colon = line.indexOf(':');
        if (colon > 0) {
            fields[line.left(colon).trimmed()] = line.mid(colon + 1).trimmed();
        }
    }
    return fields;
}

QStringList pdfFonts(const QString& pdfPath) {
    QStringList lines = run("pdffonts", {pdfPath}).split('\n', Qt::SkipEmptyParts);
    return lines.mid(2);
}

QStringList normalisedLines(const QString& text) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList lines;
    for (const QString& line : text.split('\n')) {
        const QString simple = QString(line).replace(blanks, QStringLiteral(" ")).trimmed();
        if (!simple.isEmpty()) {
            lines << simple;
        }
    }
    return lines;
}

bool containsInOrder(const QStringList& lines, const QStringList& wanted, QString& missing) {
    qsizetype line = 0;
    qsizetype column = 0;
    for (const QString& w : wanted) {
        bool found = false;
        while (line < lines.size()) {
            const qsizetype at = lines[line].indexOf(w, column);
            if (at >= 0) {
                column = at + w.size();
                found = true;
                break;
            }
            ++line;
            column = 0;
        }
        if (!found) {
            missing = w;
            return false;
        }
    }
    return true;
}

} // namespace varne::test
