// Time to write 30,000 test records (1,000 downloads of the demo's 29 tests and one more) as JSON
// and as CSV into memory.

#include "export/CsvExport.h"
#include "export/JsonExport.h"
#include "report/ReportImage.h"
#include "report/model/TestRecordDecoder.h"
#include "sim/DemoImage.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRecords = 30000;

std::vector<varne::ExportedRecord> records() {
    const std::vector<std::uint8_t> image = varne::demoReportImage();
    const std::vector<varne::TestRecord> demo =
        varne::DecodeTestRecords(varne::ReportImage(image), 7);
    std::vector<varne::ExportedRecord> out;
    out.reserve(kRecords);
    for (std::size_t i = 0; i < kRecords; ++i) {
        varne::ExportedRecord e{demo[i % demo.size()],
                                std::string(64, 'a'),
                                {"2024-05-14T15:00:00", "2024-05-20T09:00:00"}};
        e.fingerprint = std::to_string(i) + e.fingerprint.substr(0, 60);
        out.push_back(std::move(e));
    }
    return out;
}

template <typename Write> void measure(const char* what, Write write) {
    std::ostringstream out;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    write(out);
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%s: %zu records, %zu bytes in %.1f ms (%.1f ms of CPU)\n", what, kRecords,
                out.str().size(), elapsed.count(), cpu);
}

} // namespace

int main() {
    const std::vector<varne::ExportedRecord> all = records();
    measure("JSON export", [&all](std::ostream& out) { varne::WriteJsonExport(out, all); });
    measure("CSV export", [&all](std::ostream& out) { varne::WriteCsvExport(out, all); });
    return 0;
}
