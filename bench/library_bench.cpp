// Time to add a download to the record library and to query it, on SQLite:
// (a) 1,000 downloads of 30 tests, each sharing 25 tests with the one before (5,025 tests);
// (b) 1,000 downloads of 30 distinct tests (30,000 tests).
// Goals: adding a download under 20 ms; history and the JSON export over (b) under 1 s each.

#include "export/HistoryLine.h"
#include "export/JsonExport.h"
#include "library/LibraryLocation.h"
#include "library/RecordLibrary.h"
#include "library/RecordSelection.h"
#include "library/SavedDownload.h"
#include "report/ReportImageBuilder.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using varne::library::RecordLibrary;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The processor time of this program, which a busy machine does not stretch.
double cpuMilliseconds() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Test n of a busy tester: a mix of kinds (every ninth an excitation curve), its own values.
void putTest(varne::ReportImageBuilder& builder, std::size_t slot, int n) {
    struct Kind {
        std::uint8_t type, subtype;
    };
    static constexpr Kind kinds[] = {{0, 0}, {2, 0}, {5, 0},  {5, 2}, {8, 0},
                                     {4, 1}, {0, 2}, {12, 0}, {5, 3}};
    const Kind& kind = kinds[static_cast<std::size_t>(n) % std::size(kinds)];
    varne::EntryFields fields;
    fields.year = static_cast<std::uint8_t>(20 + n / 8760 % 10);
    fields.month = static_cast<std::uint8_t>(1 + n / 720 % 12);
    fields.day = static_cast<std::uint8_t>(1 + n / 24 % 28);
    fields.hour = static_cast<std::uint8_t>(n % 24);
    fields.minute = static_cast<std::uint8_t>(n % 60);
    fields.testType = kind.type;
    fields.subType = kind.subtype;
    builder.entry(slot, fields).values(slot, static_cast<float>(n) * 0.5f, 1.25f, 0.75f);
    if (kind.type == 5 && kind.subtype == 3) {
        std::vector<std::pair<float, float>> curve;
        for (int p = 1; p <= 10; ++p) {
            curve.emplace_back(0.01f * static_cast<float>(p), static_cast<float>(n + p));
        }
        builder.curve(slot, curve, 10);
    }
}

std::vector<std::uint8_t> download(int firstTest) {
    varne::ReportImageBuilder builder;
    for (std::size_t slot = 0; slot < varne::ReportImage::kEntryCount; ++slot) {
        putTest(builder, slot, firstTest + static_cast<int>(slot));
    }
    return builder.replyPayload();
}

struct Figures {
    double meanMs = 0;
    double medianMs = 0;
    double p95Ms = 0;
    double maxMs = 0;
    double cpuMeanMs = 0;
    std::size_t tests = 0;
};

// Adds 1,000 downloads, download k holding tests step*k .. step*k + 29. With `reopen`, each
// download opens the library anew, as varne get and the dialog do.
Figures build(const varne::library::LibraryLocation& location, int step, bool reopen, int count) {
    std::vector<std::vector<std::uint8_t>> payloads;
    for (int k = 0; k < count; ++k) {
        payloads.push_back(download(step * k));
    }
    std::vector<double> times;
    std::unique_ptr<RecordLibrary> library;
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    Figures figures;
    const double cpuStart = cpuMilliseconds();
    for (int k = 0; k < count; ++k) {
        const auto& payload = payloads[static_cast<std::size_t>(k)];
        const auto begin = Clock::now();
        if (reopen || !library) {
            library.reset();
            library = std::make_unique<RecordLibrary>(location, RecordLibrary::Access::Write);
        }
        const auto tests = varne::library::TestsOfPayload(payload, 7);
        const auto added =
            library->addDownload(varne::library::DescribeDownload(payload, start.addSecs(60 * k),
                                                                  "/dev/ttyUSB0", 7, "raw.bin"),
                                 *tests);
        times.push_back(millisecondsSince(begin));
        figures.tests += added.newTests;
    }
    figures.cpuMeanMs = (cpuMilliseconds() - cpuStart) / count;
    std::sort(times.begin(), times.end());
    for (const double t : times) {
        figures.meanMs += t / static_cast<double>(times.size());
    }
    figures.medianMs = times[times.size() / 2];
    figures.p95Ms = times[times.size() * 95 / 100];
    figures.maxMs = times.back();
    return figures;
}

struct Timing {
    double wallMs;
    double cpuMs;
};

Timing timed(const std::function<std::size_t()>& query, std::size_t& size) {
    const auto begin = Clock::now();
    const double cpuBegin = cpuMilliseconds();
    size = query();
    return {millisecondsSince(begin), cpuMilliseconds() - cpuBegin};
}

void printAdding(const char* name, const Figures& f, bool reopen) {
    std::printf("%s: %zu tests; adding a download%s: mean %.2f ms, median %.2f ms, "
                "95%% %.2f ms, max %.2f ms, processor time %.2f ms (goal < 20 ms)\n",
                name, f.tests, reopen ? " (opening the library each time, as varne get)" : "",
                f.meanMs, f.medianMs, f.p95Ms, f.maxMs, f.cpuMeanMs);
}

void report(const char* name, const varne::library::LibraryLocation& location, int step) {
    printAdding(name, build(location, step, false, 1000), false);

    RecordLibrary library(location, RecordLibrary::Access::Read);
    std::size_t size = 0;
    const Timing history = timed(
        [&library] {
            std::string out;
            for (const auto& r : varne::library::SelectRecords(
                     library, {}, varne::library::RecordDetail::Summary)) {
                out += varne::HistoryLine(r.record) + "\n";
            }
            return out.size();
        },
        size);
    std::printf("%s: history of every test: %.0f ms (processor %.0f ms), %zu bytes (goal < 1000 "
                "ms)\n",
                name, history.wallMs, history.cpuMs, size);
    varne::library::RecordFilter filter;
    filter.kind = "ct";
    filter.limit = 100;
    const Timing kind = timed(
        [&library, &filter] {
            return varne::library::SelectRecords(library, filter,
                                                 varne::library::RecordDetail::Summary)
                .size();
        },
        size);
    std::printf("%s: history --kind ct --limit 100: %.1f ms (processor %.1f ms), %zu tests\n", name,
                kind.wallMs, kind.cpuMs, size);
    const Timing json = timed(
        [&library] {
            std::ostringstream out;
            varne::WriteJsonExport(out, varne::library::SelectRecords(
                                            library, {}, varne::library::RecordDetail::Full));
            return out.str().size();
        },
        size);
    std::printf("%s: JSON export of every test: %.0f ms (processor %.0f ms), %zu bytes (goal < "
                "1000 ms)\n",
                name, json.wallMs, json.cpuMs, size);
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "library_bench: no temporary directory\n");
        return 1;
    }
    varne::library::LibraryLocation a;
    a.file = dir.filePath("a.sqlite").toStdString();
    varne::library::LibraryLocation b;
    b.file = dir.filePath("b.sqlite").toStdString();
    report("(a) overlapping", a, 5);
    report("(b) distinct", b, 30);
    varne::library::LibraryLocation c;
    c.file = dir.filePath("c.sqlite").toStdString();
    printAdding("(c) 200 overlapping", build(c, 5, true, 200), true);
    return 0;
}
