#include "pdf/PdfReportDocument.h"

#include "base/ProgramVersion.h"
#include "pdf/CurvePlot.h"
#include "pdf/PdfFonts.h"
#include "report/model/KneePoint.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <vector>

namespace varne {

namespace {

// Qt's PDF user space at this resolution; everything below is placed in its units.
constexpr int kResolution = 1200;
constexpr double kPt = kResolution / 72.0;
constexpr double mm(double millimetres) {
    return millimetres * kResolution / 25.4;
}

const QString kTitle = QStringLiteral("Varne Series Relay Tester Test Report");

const QColor kInk(0x1A, 0x1A, 0x1A);
const QColor kMuted(0x5F, 0x66, 0x6D);
const QColor kRule(0xC8, 0xCD, 0xD3);
const QColor kHeaderFill(0xE6, 0xEB, 0xF1);
const QColor kStripeFill(0xF6, 0xF8, 0xFA);

// A4 portrait, the binding margin on the left.
constexpr double kPageWidth = mm(210);
constexpr double kPageHeight = mm(297);
constexpr double kLeft = mm(25);
constexpr double kRight = kPageWidth - mm(15);
constexpr double kTop = mm(15);
constexpr double kBottom = kPageHeight - mm(14);
constexpr double kFooterHeight = 20 * kPt;

// Table columns: number, heading, date, result lines.
constexpr double kNumberX = kLeft + 4 * kPt;
constexpr double kHeadingX = kLeft + mm(11);
constexpr double kDateX = kLeft + mm(58);
constexpr double kResultX = kLeft + mm(100);

// Rows lay their lines on one grid.
constexpr double kLine = 12.5 * kPt;
constexpr double kRowPadTop = 5 * kPt;
constexpr double kRowPadBottom = 5 * kPt;
constexpr double kTableHeaderHeight = 17 * kPt;
constexpr double kPlotGap = 6 * kPt;
constexpr double kPlotWidth = mm(118);
constexpr double kPlotHeight = mm(70);

constexpr std::uint8_t kCtTestType = 5;
constexpr std::uint8_t kExcitationCurveSubtype = 3;

QStringList linesOf(const std::string& text) {
    return QString::fromStdString(text).split(QLatin1Char('\n'));
}

struct Fonts {
    QFont title;
    QFont label;
    QFont body;
    QFont bold;
    QFont tableHeader;
    QFont mono;
    QFont small;
    QFont footer;

    Fonts() {
        const PdfFonts& families = ReportFonts();
        const auto make = [](const QString& family, double points, bool boldWeight) {
            QFont font(family);
            font.setPointSizeF(points);
            font.setBold(boldWeight);
            font.setHintingPreference(QFont::PreferNoHinting);
            // Glyph for character, no ligatures: "ff" stays two letters that a reader of the
            // PDF's text finds as typed.
            font.setStyleStrategy(QFont::PreferNoShaping);
            return font;
        };
        title = make(families.sans, 16, true);
        label = make(families.sans, 8.5, false);
        body = make(families.sans, 9, false);
        bold = make(families.sans, 9, true);
        tableHeader = make(families.sans, 8, true);
        mono = make(families.mono, 8.5, false);
        small = make(families.sans, 7, false);
        footer = make(families.sans, 7.5, false);
    }
};

// One record laid out: its texts split into lines and what its curve section shows.
struct RecordBlock {
    int number = 0;
    QStringList heading;
    QString date;
    QStringList result;
    bool curveSection = false;
    std::vector<CurveSample> samples;
    std::optional<KneePoint> knee;

    // The date and the first result line stand on the heading's last line.
    int textLines() const {
        return static_cast<int>(heading.size()) - 1 +
               std::max<int>(1, static_cast<int>(result.size()));
    }
    bool hasPlot() const { return samples.size() >= 2; }
    double height() const {
        double h = kRowPadTop + textLines() * kLine + kRowPadBottom;
        if (curveSection) {
            h += (hasPlot() ? kPlotGap + kPlotHeight : 0) + kLine;
        }
        return h;
    }
};

RecordBlock blockOf(const TestRecord& record, int number) {
    RecordBlock block;
    block.number = number;
    block.heading = linesOf(record.heading);
    block.date = QString::fromStdString(record.date);
    block.result = linesOf(record.result);
    // A result ending in a newline leaves an empty last line in the text report; on paper it
    // is only space.
    while (!block.result.isEmpty() && block.result.back().isEmpty()) {
        block.result.pop_back();
    }
    block.curveSection = !record.curve.empty() ||
                         (record.type == kCtTestType && record.subtype == kExcitationCurveSubtype);
    if (block.curveSection) {
        block.samples = UsableCurveSamples(record.curve);
        block.knee = FindKneePoint(record.curve);
    }
    return block;
}

struct PlacedBlock {
    std::size_t index;
    double top;
};
using Page = std::vector<PlacedBlock>;

class ReportPainter {
public:
    ReportPainter(QPainter& painter, const PdfReportContent& content)
        : p_(painter), content_(content) {
        for (std::size_t i = 0; i < content.records.size(); ++i) {
            blocks_.push_back(blockOf(content.records[i], static_cast<int>(i) + 1));
        }
    }

    // First pass: which record goes on which page, and where. Every page's footer then knows
    // the number of pages.
    std::vector<Page> paginate() {
        std::vector<Page> pages(1);
        double y = firstPageTableTop() + kTableHeaderHeight;
        const double limit = kBottom - kFooterHeight;
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            const double h = blocks_[i].height();
            if (y + h > limit && !pages.back().empty()) {
                pages.emplace_back();
                y = laterPageTableTop() + kTableHeaderHeight;
            }
            pages.back().push_back({i, y});
            y += h;
        }
        return pages;
    }

    // Second pass: draws the pages as laid out.
    bool paint(QPdfWriter& writer, const std::vector<Page>& pages) {
        for (std::size_t n = 0; n < pages.size(); ++n) {
            if (n > 0 && !writer.newPage()) {
                return false;
            }
            double tableTop = 0;
            if (n == 0) {
                drawTitleBlock();
                tableTop = firstPageTableTop();
            } else {
                drawRunningHead();
                tableTop = laterPageTableTop();
            }
            drawTableHeader(tableTop);
            for (const PlacedBlock& placed : pages[n]) {
                drawRecord(blocks_[placed.index], placed.top);
            }
            if (blocks_.empty()) {
                p_.setFont(fonts_.body);
                p_.setPen(kMuted);
                p_.drawText(QPointF(kHeadingX, tableTop + kTableHeaderHeight + kLine),
                            QStringLiteral("No test records."));
            }
            drawFooter(n + 1, pages.size());
        }
        return true;
    }

private:
    QFontMetricsF metrics(const QFont& font) const { return QFontMetricsF(font, p_.device()); }

    // The baseline of a line in a row's grid, the text centred in its line.
    double baseline(double lineTop, const QFont& font) const {
        const QFontMetricsF m = metrics(font);
        return lineTop + (kLine - m.ascent() - m.descent()) / 2 + m.ascent();
    }

    // Draws one line of text; a line too long for its column gets a smaller size, never a cut.
    void drawFitted(const QFont& font, QPointF at, double width, const QString& text) {
        QFont fitted = font;
        const double advance = metrics(font).horizontalAdvance(text);
        if (advance > width && advance > 0) {
            fitted.setPointSizeF(std::max(4.0, font.pointSizeF() * width / advance));
        }
        p_.setFont(fitted);
        p_.drawText(at, text);
    }

    double factsHeight() const {
        const QFontMetricsF m = metrics(fonts_.label);
        const double valueWidth = kRight - kLeft - factLabelWidth();
        double h = 0;
        for (const ReportFact& fact : content_.facts) {
            const QRectF bounds = m.boundingRect(QRectF(0, 0, valueWidth, 1e9), Qt::TextWordWrap,
                                                 QString::fromStdString(fact.value));
            h += std::max(m.lineSpacing(), bounds.height()) + 2 * kPt;
        }
        return h;
    }

    double factLabelWidth() const {
        const QFontMetricsF m = metrics(fonts_.label);
        double widest = 0;
        for (const ReportFact& fact : content_.facts) {
            widest = std::max(widest, m.horizontalAdvance(QString::fromStdString(fact.label)));
        }
        return widest + 12 * kPt;
    }

    double titleHeight() const { return metrics(fonts_.title).lineSpacing() + 6 * kPt; }

    double firstPageTableTop() const { return kTop + titleHeight() + factsHeight() + 12 * kPt; }
    double laterPageTableTop() const {
        return kTop + metrics(fonts_.footer).lineSpacing() + 8 * kPt;
    }

    void drawTitleBlock() {
        p_.setPen(kInk);
        p_.setFont(fonts_.title);
        p_.drawText(QPointF(kLeft, kTop + metrics(fonts_.title).ascent()), kTitle);
        double y = kTop + titleHeight();
        const QFontMetricsF m = metrics(fonts_.label);
        const double labelWidth = factLabelWidth();
        for (const ReportFact& fact : content_.facts) {
            const QString value = QString::fromStdString(fact.value);
            const QRectF valueRect(kLeft + labelWidth, y, kRight - kLeft - labelWidth, 1e9);
            const double h = std::max(m.lineSpacing(),
                                      m.boundingRect(valueRect, Qt::TextWordWrap, value).height());
            p_.setFont(fonts_.label);
            p_.setPen(kMuted);
            p_.drawText(QPointF(kLeft, y + m.ascent()), QString::fromStdString(fact.label));
            p_.setPen(kInk);
            p_.drawText(QRectF(valueRect.topLeft(), QSizeF(valueRect.width(), h)), Qt::TextWordWrap,
                        value);
            y += h + 2 * kPt;
        }
        p_.setPen(QPen(kInk, 0.8 * kPt));
        p_.drawLine(QPointF(kLeft, y + 5 * kPt), QPointF(kRight, y + 5 * kPt));
    }

    void drawRunningHead() {
        const QFontMetricsF m = metrics(fonts_.footer);
        p_.setFont(fonts_.footer);
        p_.setPen(kMuted);
        p_.drawText(QPointF(kLeft, kTop + m.ascent()), kTitle);
        p_.setPen(QPen(kRule, 0.5 * kPt));
        const double y = kTop + m.lineSpacing() + 3 * kPt;
        p_.drawLine(QPointF(kLeft, y), QPointF(kRight, y));
    }

    void drawTableHeader(double top) {
        p_.fillRect(QRectF(kLeft, top, kRight - kLeft, kTableHeaderHeight), kHeaderFill);
        p_.setFont(fonts_.tableHeader);
        p_.setPen(kInk);
        const QFontMetricsF m = metrics(fonts_.tableHeader);
        const double y = top + (kTableHeaderHeight - m.ascent() - m.descent()) / 2 + m.ascent();
        p_.drawText(QPointF(kNumberX, y), QStringLiteral("No."));
        p_.drawText(QPointF(kHeadingX, y), QStringLiteral("Test"));
        p_.drawText(QPointF(kDateX, y), QStringLiteral("Date"));
        p_.drawText(QPointF(kResultX, y), QStringLiteral("Result"));
        p_.setPen(QPen(kInk, 0.6 * kPt));
        p_.drawLine(QPointF(kLeft, top + kTableHeaderHeight),
                    QPointF(kRight, top + kTableHeaderHeight));
    }

    void drawRecord(const RecordBlock& block, double top) {
        const double height = block.height();
        if (block.number % 2 == 0) {
            p_.fillRect(QRectF(kLeft, top, kRight - kLeft, height), kStripeFill);
        }
        p_.setPen(kInk);
        const double firstLine = top + kRowPadTop;
        const auto lineTop = [&](int line) { return firstLine + line * kLine; };

        drawFitted(fonts_.bold, QPointF(kNumberX, baseline(lineTop(0), fonts_.bold)),
                   kHeadingX - kNumberX, QString::number(block.number));
        for (int i = 0; i < block.heading.size(); ++i) {
            const QFont& font = i == 0 ? fonts_.bold : fonts_.body;
            drawFitted(font, QPointF(kHeadingX, baseline(lineTop(i), font)),
                       kDateX - kHeadingX - 6 * kPt, block.heading[i]);
        }
        const int dataLine = static_cast<int>(block.heading.size()) - 1;
        drawFitted(fonts_.body, QPointF(kDateX, baseline(lineTop(dataLine), fonts_.body)),
                   kResultX - kDateX - 6 * kPt, block.date);
        for (int i = 0; i < block.result.size(); ++i) {
            drawFitted(fonts_.mono, QPointF(kResultX, baseline(lineTop(dataLine + i), fonts_.mono)),
                       kRight - kResultX - 4 * kPt, block.result[i]);
        }

        if (block.curveSection) {
            double y = lineTop(block.textLines());
            if (block.hasPlot()) {
                y += kPlotGap;
                DrawCurvePlot(p_, QRectF(kHeadingX, y, kPlotWidth, kPlotHeight), block.samples,
                              block.knee, fonts_.small, kPt);
                y += kPlotHeight;
            }
            p_.setPen(kInk);
            drawFitted(fonts_.bold, QPointF(kHeadingX, baseline(y, fonts_.bold)),
                       kRight - kHeadingX, QString::fromStdString(KneePointLine(block.knee)));
        }
        p_.setPen(QPen(kRule, 0.5 * kPt));
        p_.drawLine(QPointF(kLeft, top + height), QPointF(kRight, top + height));
    }

    void drawFooter(std::size_t page, std::size_t pages) {
        const QFontMetricsF m = metrics(fonts_.footer);
        const double ruleY = kBottom - m.lineSpacing() - 4 * kPt;
        p_.setPen(QPen(kRule, 0.5 * kPt));
        p_.drawLine(QPointF(kLeft, ruleY), QPointF(kRight, ruleY));
        p_.setFont(fonts_.footer);
        p_.setPen(kMuted);
        const double y = kBottom - m.descent();
        p_.drawText(QPointF(kLeft, y),
                    QStringLiteral("Varne Report %1").arg(QString::fromLatin1(kProgramVersion)));
        const QString number = QStringLiteral("page %1 of %2").arg(page).arg(pages);
        p_.drawText(QPointF(kRight - m.horizontalAdvance(number), y), number);
    }

    QPainter& p_;
    const PdfReportContent& content_;
    Fonts fonts_;
    std::vector<RecordBlock> blocks_;
};

} // namespace

QByteArray RenderPdfReport(const PdfReportContent& content, QString& error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setTitle(kTitle);
        writer.setCreator(
            QStringLiteral("Varne Report %1").arg(QString::fromLatin1(kProgramVersion)));

        QPainter painter;
        if (!painter.begin(&writer)) {
            error = QStringLiteral("the PDF writer could not start");
            return {};
        }
        ReportPainter report(painter, content);
        const std::vector<Page> pages = report.paginate();
        const bool painted = report.paint(writer, pages);
        if (!painter.end() || !painted) {
            error = QStringLiteral("the PDF writer failed");
            return {};
        }
    }
    return bytes;
}

} // namespace varne
