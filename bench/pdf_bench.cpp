// Time to write a full PDF report in process: 30 records, ten of them excitation curves with
// their plots, drawn with Qt's PDF writer and saved to a file. Warm: the fonts are loaded by a
// first run that is not counted.

#include "base/MessageSink.h"
#include "pdf/PdfReportFile.h"
#include "report/ReportImage.h"
#include "report/model/TestRecordDecoder.h"
#include "sim/DemoImage.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

class SilentSink : public varne::MessageSink {
public:
    void show(const std::string&, const std::string&, varne::MessageKind) override {}
};

// The demo report's tests, repeated up to 30 records of which ten are its excitation curve.
std::vector<varne::TestRecord> fullReport() {
    const std::vector<std::uint8_t> image = varne::demoReportImage();
    const std::vector<varne::TestRecord> demo =
        varne::DecodeTestRecords(varne::ReportImage(image), 7);
    const auto curve = std::find_if(demo.begin(), demo.end(),
                                    [](const varne::TestRecord& r) { return !r.curve.empty(); });
    std::vector<varne::TestRecord> others;
    std::copy_if(demo.begin(), demo.end(), std::back_inserter(others),
                 [](const varne::TestRecord& r) { return r.curve.empty(); });
    std::vector<varne::TestRecord> records;
    for (std::size_t i = 0; records.size() < varne::ReportImage::kEntryCount; ++i) {
        records.push_back(i % 3 == 0 ? *curve : others[i % others.size()]);
    }
    return records;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir directory;
    const std::vector<varne::TestRecord> records = fullReport();
    const auto curves = std::count_if(records.begin(), records.end(),
                                      [](const varne::TestRecord& r) { return !r.curve.empty(); });
    SilentSink messages;
    varne::PdfReportOptions options;
    options.outputDirectory = directory.path().toStdString();
    varne::PdfReportFile pdf(messages, options);
    const varne::ReportFacts facts =
        varne::DownloadFacts("2024-05-14 15:00:00 UTC+02:00", "/dev/ttyUSB0", 7);

    if (!pdf.WritePdfReport(records, facts)) { // warms up: fonts loaded, caches filled
        std::fprintf(stderr, "pdf_bench: the report could not be written\n");
        return 1;
    }
    constexpr int kRuns = 20;
    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        pdf.WritePdfReport(records, facts);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    double total = 0;
    for (const double s : seconds) {
        total += s;
    }
    std::printf("PDF report of %zu records (%td excitation curves), warm: median %.3f s, "
                "mean %.3f s, best %.3f s over %d runs (goal: under 0.2 s)\n",
                records.size(), curves, seconds[kRuns / 2], total / kRuns, seconds.front(), kRuns);
    return 0;
}
