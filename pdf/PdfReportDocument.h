#pragma once

#include "report/ReportFacts.h"
#include "report/model/TestRecord.h"

#include <QByteArray>
#include <QString>
#include <span>

namespace varne {

// What a PDF report shows: a header of facts about where the records come from, then one table
// row per record in the order given, each excitation curve plotted with its knee point.
struct PdfReportContent {
    ReportFacts facts;
    std::span<const TestRecord> records;
};

// The report as PDF bytes: A4 portrait with a binding margin on the left, "page N of M" and the
// program's name and version in every footer, fonts embedded, plots as vector drawing. Empty
// with `error` set when the PDF cannot be made. Needs the GUI application object.
QByteArray RenderPdfReport(const PdfReportContent& content, QString& error);

} // namespace varne
