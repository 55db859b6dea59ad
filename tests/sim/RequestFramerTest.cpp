#include "sim/RequestFramer.h"

#include <gtest/gtest.h>

namespace varne {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Kind = RequestFramer::Kind;

const Bytes kHandshake(kHandshakeRequest.begin(), kHandshakeRequest.end());
const Bytes kReport(kReportRequest.begin(), kReportRequest.end());

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RequestFramer, CutsWhatArrivesAtOnceIntoRequestsAndRejectedBytes) {
    struct Case {
        const char* name;
        Bytes input;
        std::vector<std::pair<Kind, std::size_t>> pieces; // kind and size
        bool leftWaiting;
    };
    const std::vector<Case> cases{
        {"two requests back to back",
         kHandshake + kReport,
         {{Kind::Handshake, 25}, {Kind::Report, 25}},
         false},
        {"noise, then a request",
         Bytes{1, 2, 3} + kReport,
         {{Kind::Rejected, 3}, {Kind::Report, 25}},
         false},
        {"wrong check byte",
         Bytes(kHandshake.begin(), kHandshake.end() - 1) + Bytes{0xE1},
         {{Kind::Rejected, 25}},
         false},
        {"noise ending in the start of a request",
         Bytes(30, 0x77) + Bytes{0x1E, 0x00},
         {{Kind::Rejected, 30}},
         true},
        {"half a request", Bytes(kHandshake.begin(), kHandshake.begin() + 12), {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestFramer framer;
        const auto pieces = framer.feed(c.input, RequestFramer::Clock::now());
        ASSERT_EQ(pieces.size(), c.pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i].kind, c.pieces[i].first);
            EXPECT_EQ(pieces[i].bytes.size(), c.pieces[i].second);
        }
        EXPECT_EQ(framer.deadline().has_value(), c.leftWaiting);
    }
}

TEST(RequestFramer, RejectsAPartialRequestOnlyAfterTheLineWasQuiet) {
    RequestFramer framer;
    const auto start = RequestFramer::Clock::now();
    EXPECT_TRUE(framer.feed(Bytes(kReport.begin(), kReport.begin() + 10), start).empty());
    EXPECT_TRUE(
        framer.feed(Bytes(kReport.begin() + 10, kReport.begin() + 20), start + 150ms).empty());
    // Quiet for 150 ms since the last byte: still waiting for the rest.
    EXPECT_FALSE(framer.expire(start + 300ms).has_value());
    const auto stale = framer.expire(start + 150ms + RequestFramer::kQuietGap);
    ASSERT_TRUE(stale.has_value());
    EXPECT_EQ(stale->kind, Kind::Rejected);
    EXPECT_EQ(stale->bytes, Bytes(kReport.begin(), kReport.begin() + 20));
    EXPECT_FALSE(framer.deadline().has_value());

    // The framer starts afresh.
    const auto pieces = framer.feed(kReport, start + 1s);
    ASSERT_EQ(pieces.size(), 1U);
    EXPECT_EQ(pieces[0].kind, Kind::Report);
}

} // namespace
} // namespace varne
