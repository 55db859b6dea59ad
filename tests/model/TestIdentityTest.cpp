#include "report/ReportImage.h"
#include "report/ReportImageBuilder.h"
#include "report/model/RecordFingerprint.h"
#include "report/model/TestRecordDecoder.h"
#include "sim/DemoImage.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace varne {
namespace {

EntryFields fieldsOf(std::uint8_t testType, std::uint8_t subType, std::uint8_t option) {
    return EntryFields{24, 5, 14, 9, 30, 15, testType, subType, option};
}

const std::vector<std::pair<float, float>> kTenPoints{{0.5F, 10}, {1, 20}, {1.5F, 30}, {2, 40},
                                                      {2.5F, 50}, {3, 60}, {3.5F, 70}, {4, 80},
                                                      {4.5F, 90}, {5, 100}};

std::optional<TestRecord> recordAt(const std::vector<std::uint8_t>& image, std::size_t slot,
                                   std::uint8_t handshake) {
    for (TestRecord& r : DecodeTestRecords(ReportImage(image), handshake)) {
        if (r.slot == slot) {
            return std::move(r);
        }
    }
    return std::nullopt;
}

// One test written at `slot` with some other tests around it.
std::vector<std::uint8_t> imageWith(std::size_t slot, const EntryFields& fields,
                                    std::int8_t pointCount, std::size_t neighbourSeed) {
    ReportImageBuilder builder;
    for (std::size_t i = 0; i < ReportImage::kEntryCount; i += 3) {
        if (i != slot) {
            builder.entry(i, fieldsOf(2, 0, 0))
                .values(i, 0.1F * static_cast<float>(i + neighbourSeed), 7, 8);
        }
    }
    builder.entry(slot, fields).values(slot, 1.25F, 16.0F, 0.75F);
    if (fields.testType == 5 && fields.subType == 3) {
        builder.curve(slot, kTenPoints, pointCount);
    }
    // Bytes no layout reads, different in every image.
    builder.byteAt(300 + neighbourSeed, 0x5A).byteAt(4000 + neighbourSeed, 0xA5);
    return builder.image();
}

TEST(TestIdentity, SameTestSameBytesInAnySlotAndDownload) {
    struct Case {
        const char* what;
        EntryFields fields;
        std::int8_t pointCount;
    };
    const std::vector<Case> cases{
        {"pick up", fieldsOf(0, 1, 3), 0},
        {"auto test", fieldsOf(10, 2, 0), 0},
        {"unknown test", fieldsOf(77, 4, 4), 0},
        {"ten-point curve", fieldsOf(5, 3, 0), 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<std::vector<std::uint8_t>> first;
        std::size_t seed = 0;
        for (const std::size_t slot : {0U, 5U, 9U, 10U, 22U, 29U}) {
            const auto record = recordAt(imageWith(slot, c.fields, c.pointCount, ++seed), slot, 7);
            ASSERT_TRUE(record.has_value());
            if (!first) {
                first = record->identityBytes;
            }
            EXPECT_EQ(record->identityBytes, *first) << "slot " << slot;
        }
    }
}

TEST(TestIdentity, TheHandshakeCountsOnlyWhereItChangesTheReading) {
    const auto image = imageWith(4, fieldsOf(0, 0, 0), 0, 1);
    EXPECT_EQ(recordAt(image, 4, 6)->identityBytes, recordAt(image, 4, 7)->identityBytes);

    // The same bytes read as six points and as a ten-point curve of six are two readings.
    const auto curve = imageWith(4, fieldsOf(5, 3, 0), 6, 1);
    EXPECT_NE(recordAt(curve, 4, 6)->identityBytes, recordAt(curve, 4, 7)->identityBytes);
    EXPECT_EQ(recordAt(curve, 4, 6)->curve.size(), recordAt(curve, 4, 7)->curve.size());
}

// Each byte of the image, changed on its own, changes the identity of the test exactly when the
// decoding of that test reads it.
TEST(TestIdentity, EveryReadByteCountsAndNoOtherDoes) {
    struct Case {
        const char* what;
        std::size_t slot;
        EntryFields fields;
        std::uint8_t handshake;
        std::int8_t pointCount;
    };
    const std::vector<Case> cases{
        {"three values", 7, fieldsOf(0, 0, 0), 7, 0},
        {"three values, last block", 29, fieldsOf(8, 4, 1), 7, 0},
        {"unknown test", 3, fieldsOf(13, 0, 0), 7, 0},
        {"six-point curve", 12, fieldsOf(5, 3, 0), 6, 9},
        {"ten-point curve of eight", 12, fieldsOf(5, 3, 0), 7, 8},
        {"ten-point curve of three", 0, fieldsOf(5, 3, 0), 7, 3},
        {"ten-point curve of one", 0, fieldsOf(5, 3, 0), 7, 1},
        {"ten-point count beyond ten", 21, fieldsOf(5, 3, 0), 7, 12},
        {"negative count", 21, fieldsOf(5, 3, 0), 7, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t entry = ReportImage::entryOffset(c.slot);
        const std::size_t record = ReportImage::recordOffset(c.slot);
        const std::size_t extension = ReportImage::extensionOffset(c.slot);
        std::set<std::size_t> read;
        for (std::size_t b = 1; b < 10; ++b) {
            read.insert(entry + b);
        }
        std::size_t recordBytes = 12;
        std::size_t extensionBytes = 0;
        if (c.fields.testType == 5 && c.fields.subType == 3) {
            if (c.handshake == 7) {
                read.insert(ReportImage::pointCountOffset(c.slot));
                const std::size_t count =
                    static_cast<std::size_t>(std::clamp<int>(c.pointCount, 0, 10));
                recordBytes = std::max<std::size_t>(12, 8 * std::min<std::size_t>(count, 6));
                extensionBytes = count > 6 ? 8 * (count - 6) : 0;
            } else {
                recordBytes = 48;
            }
        }
        for (std::size_t b = 0; b < recordBytes; ++b) {
            read.insert(record + b);
        }
        for (std::size_t b = 0; b < extensionBytes; ++b) {
            read.insert(extension + b);
        }

        const std::vector<std::uint8_t> image = imageWith(c.slot, c.fields, c.pointCount, 2);
        const std::vector<std::uint8_t> identity =
            recordAt(image, c.slot, c.handshake)->identityBytes;
        for (std::size_t offset = 0; offset < image.size(); ++offset) {
            if (offset == entry) {
                continue; // the marker: changed, the entry holds no test
            }
            std::vector<std::uint8_t> changed = image;
            changed[offset] ^= 0x01;
            const auto record2 = recordAt(changed, c.slot, c.handshake);
            ASSERT_TRUE(record2.has_value()) << offset;
            if (read.contains(offset)) {
                EXPECT_NE(record2->identityBytes, identity) << "read byte " << offset;
            } else {
                EXPECT_EQ(record2->identityBytes, identity) << "unread byte " << offset;
            }
        }
    }
}

TEST(TestIdentity, FingerprintIsLowercaseSha256OfTheIdentity) {
    EXPECT_EQ(RecordFingerprint({}),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::vector<std::uint8_t> abc{'a', 'b', 'c'};
    EXPECT_EQ(RecordFingerprint(abc),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    const std::vector<std::uint8_t> image = demoReportImage();
    std::set<std::string> fingerprints;
    for (const TestRecord& r : DecodeTestRecords(ReportImage(image), 7)) {
        fingerprints.insert(RecordFingerprint(r.identityBytes));
    }
    EXPECT_EQ(fingerprints.size(), 29U);
}

} // namespace
} // namespace varne
