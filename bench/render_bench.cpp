// Time to turn a full report image (30 records of every kind) into the text report in memory.

#include "report/RecordTexts.h"
#include "report/ReportImage.h"
#include "report/ReportImageBuilder.h"
#include "report/TextReport.h"

#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

varne::ReportImageBuilder fullImage() {
    struct Kind {
        std::uint8_t testType, subType, option;
        float v1, v2, v3;
    };
    const std::vector<Kind> kinds{
        {0, 0, 0, 1.5f, 1.25f, 0.75f},
        {0, 1, 3, 10.0f, 20.0f, 30.0f},
        {2, 0, 0, 0.5f, 0, 0},
        {2, 3, 0, 212345.5f, 0, 0},
        {4, 1, 0, 1.234f, 0, 0},
        {5, 0, 0, 600.0f, 5.0f, 0},
        {5, 1, 0, 1000.0f, 0, 0},
        {5, 2, 0, 1234.4f, 1500.6f, 0},
        {5, 3, 0, 0, 0, 0},
        {8, 0, 0, 1.25f, 2.5f, 0.5f},
        {8, 1, 0, 0.25f, 0, 0},
        {8, 2, 0, 100.0f, 99.5f, 30.0f},
        {8, 3, 0, 15.0f, 0, 0},
        {8, 4, 1, 0.5f, 0.125f, 0.25f},
        {8, 5, 0, 1.0f, 0, 0},
        {10, 2, 0, 2.0f, 17.0f, 0.95f},
        {10, 3, 0, 2.0f, 24.0f, 0},
        {12, 0, 0, 0.5f, 0.125f, 0},
    };
    std::vector<std::pair<float, float>> curve;
    for (int p = 1; p <= 10; ++p) {
        curve.emplace_back(0.01f * static_cast<float>(p), 10.0f * static_cast<float>(p));
    }
    varne::ReportImageBuilder builder;
    for (std::size_t i = 0; i < varne::ReportImage::kEntryCount; ++i) {
        const Kind& k = kinds[i % kinds.size()];
        varne::EntryFields fields{23, 6, 15, 10, 30, static_cast<std::uint8_t>(i)};
        fields.testType = k.testType;
        fields.subType = k.subType;
        fields.option = k.option;
        builder.entry(i, fields);
        if (k.testType == 5 && k.subType == 3) {
            builder.curve(i, curve, 10);
        } else {
            builder.values(i, k.v1, k.v2, k.v3);
        }
    }
    return builder;
}

} // namespace

int main() {
    const varne::ReportImageBuilder builder = fullImage();
    const std::vector<std::uint8_t> payload = builder.replyPayload();
    const varne::ReportImage image(payload);
    varne::RecordTexts texts;

    constexpr int kWarmUp = 200;
    constexpr int kRuns = 5000;
    std::size_t bytes = 0;
    for (int run = 0; run < kWarmUp; ++run) {
        varne::collectRecordTexts(image, 7, texts);
        bytes += varne::composeTextReport(texts).size();
    }
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < kRuns; ++run) {
        varne::collectRecordTexts(image, 7, texts);
        bytes += varne::composeTextReport(texts).size();
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;

    std::printf("render_bench: %zu records, %zu bytes of text report\n", texts.m_nRecordCount,
                varne::composeTextReport(texts).size());
    std::printf("render_bench: %.1f us per image (%d runs, checksum %zu)\n",
                elapsed.count() / kRuns, kRuns, bytes);
    return 0;
}
