#include "report/model/TestRecordDecoder.h"

#include "report/RecordTexts.h"
#include "report/ResultFormatter.h"
#include "report/WordText.h"
#include "report/model/TestTimeText.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace varne {

namespace {

// How the bytes of a record were read; the first byte of its identity.
enum class Layout : std::uint8_t {
    Values = 0x01,        // the three values of the record
    SixPointCurve = 0x06, // the whole record as six curve points
    TenPointCurve = 0x0A, // the point count and the points it covers, record and extension
};

constexpr std::size_t kValueBytes = 12;
constexpr std::size_t kPointBytes = 8;
constexpr std::size_t kRecordPoints = 6;

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// "     I2: " -> "I2", "Harmonic coefficients:" -> "Harmonic coefficients".
std::string quantityName(std::string_view label) {
    label = trimBlanks(label);
    if (!label.empty() && label.back() == ':') {
        label.remove_suffix(1);
    }
    return std::string(trimBlanks(label));
}

// Collects what the formatter shows of one record.
class RecordValues final : public ResultValueSink {
public:
    explicit RecordValues(TestRecord& record) : record_(record) {}

    void names(std::string_view kind, std::string_view subkind) override {
        record_.kind = WordTextFromReportText(kind);
        record_.subkind = WordTextFromReportText(subkind);
    }
    void value(std::string_view label, double number, std::string_view unit) override {
        record_.quantities.push_back(Quantity{quantityName(WordTextFromReportText(label)), number,
                                              WordTextFromReportText(unit)});
    }
    void curve(const ExcitationCurve& points) override {
        record_.curve.assign(points.points.begin(),
                             points.points.begin() + static_cast<std::ptrdiff_t>(points.count));
        curve_ = points;
    }

    // The curve the formatter printed, if it printed one.
    const std::optional<ExcitationCurve>& printedCurve() const { return curve_; }

private:
    TestRecord& record_;
    std::optional<ExcitationCurve> curve_;
};

void append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// The layout tag, the entry's date, time and codes (not its marker, which every present entry
// shares), then the record bytes the formatting read: the three values, or the curve points it
// printed with the point count that chose them. Never the entry's position.
std::vector<std::uint8_t> identityOf(const ReportImage& image, std::size_t index,
                                     const std::optional<ExcitationCurve>& curve) {
    constexpr std::size_t kEntryFieldBytes = 9;
    std::vector<std::uint8_t> identity;
    identity.reserve(1 + kEntryFieldBytes + 1 + 10 * kPointBytes);
    const Layout layout = !curve                  ? Layout::Values
                          : curve->fromPointCount ? Layout::TenPointCurve
                                                  : Layout::SixPointCurve;
    identity.push_back(static_cast<std::uint8_t>(layout));
    append(identity, image.bytesAt(ReportImage::entryOffset(index) + 1, kEntryFieldBytes));

    const std::size_t record = ReportImage::recordOffset(index);
    switch (layout) {
    case Layout::Values:
        append(identity, image.bytesAt(record, kValueBytes));
        break;
    case Layout::SixPointCurve:
        append(identity, image.bytesAt(record, kRecordPoints * kPointBytes));
        break;
    case Layout::TenPointCurve: {
        identity.push_back(image.bytesAt(ReportImage::pointCountOffset(index), 1)[0]);
        // The three values are read whatever the count; the points beyond them as it says.
        const std::size_t inRecord = std::min(curve->count, kRecordPoints);
        append(identity, image.bytesAt(record, std::max(kValueBytes, inRecord * kPointBytes)));
        if (curve->count > kRecordPoints) {
            append(identity, image.bytesAt(ReportImage::extensionOffset(index),
                                           (curve->count - kRecordPoints) * kPointBytes));
        }
        break;
    }
    }
    return identity;
}

} // namespace

std::optional<TestTime> testTimeOf(const DirectoryEntry& e) {
    // The date text prints "20" and the year byte: only 0..99 read as a year.
    constexpr int kLastYearByte = 99;
    const TestTime t{2000 + e.year, e.month, e.day, e.hour, e.minute, e.second};
    return e.year <= kLastYearByte && IsRealTestTime(t) ? std::optional<TestTime>(t) : std::nullopt;
}

std::vector<TestRecord> DecodeTestRecords(const ReportImage& image, std::uint8_t handshakeValue) {
    std::vector<TestRecord> records;
    const CResultFormatter formatter(image, handshakeValue);
    for (std::size_t i = 0; i < ReportImage::kEntryCount; ++i) {
        if (!image.isPresent(i)) {
            continue;
        }
        const DirectoryEntry entry = image.entry(i);
        TestRecord record;
        record.slot = i;
        record.type = entry.testType;
        record.subtype = entry.subType;
        record.option = entry.option;
        record.testedAt = testTimeOf(entry);

        RecordValues values(record);
        std::string heading;
        std::string result;
        formatter.FormatRecord(entry.testType, entry.subType, entry.option, i, heading, result,
                               values);
        record.heading = WordTextFromReportText(heading);
        record.date = WordTextFromReportText(dateText(entry));
        record.result = WordTextFromReportText(result);
        record.identityBytes = identityOf(image, i, values.printedCurve());
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace varne
