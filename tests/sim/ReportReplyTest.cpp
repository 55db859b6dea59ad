#include "sim/ReportReply.h"

#include <gtest/gtest.h>

namespace varne {
namespace {

TEST(ReportReply, FromFileAppendsACheckByteUnlessTheFileIsAWholeReply) {
    struct Case {
        std::size_t fileSize;
        std::size_t replySize;
        bool noted;
    };
    for (const Case c : {Case{5120, 5121, false}, Case{5121, 5121, false}, Case{2000, 2001, true},
                         Case{0, 1, true}, Case{6000, 6001, true}}) {
        SCOPED_TRACE(c.fileSize);
        std::vector<std::uint8_t> contents(c.fileSize);
        for (std::size_t i = 0; i < contents.size(); ++i) {
            contents[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        const ReportReply reply = reportReplyFromFile(contents);
        ASSERT_EQ(reply.payload.size(), c.replySize);
        EXPECT_EQ(!reply.note.empty(), c.noted);
        EXPECT_TRUE(std::equal(contents.begin(), contents.end(), reply.payload.begin()));
        if (c.fileSize != 5121) {
            std::uint8_t sum = 0;
            for (const std::uint8_t b : contents) {
                sum = static_cast<std::uint8_t>(sum + b);
            }
            EXPECT_EQ(reply.payload.back(), sum);
        }
    }
}

TEST(ReportReply, AStoredCheckByteIsSentAsItStandsEvenWhenWrong) {
    std::vector<std::uint8_t> contents(5121, 0x01);
    contents.back() = 0x42; // the sum would be 0x00
    EXPECT_EQ(reportReplyFromFile(contents).payload, contents);
}

} // namespace
} // namespace varne
