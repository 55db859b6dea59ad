#include "sim/RequestFramer.h"

#include <algorithm>

namespace varne {

namespace {

using Request = std::array<std::uint8_t, kRequestSize>;

// True when `bytes` could be the start (or all) of one of the requests.
bool couldBeRequest(std::span<const std::uint8_t> bytes) {
    const auto startsLike = [&](const Request& request) {
        const std::size_t n = std::min(bytes.size(), request.size());
        return std::equal(bytes.begin(), bytes.begin() + static_cast<long>(n), request.begin());
    };
    return startsLike(kHandshakeRequest) || startsLike(kReportRequest);
}

} // namespace

std::vector<RequestFramer::Piece> RequestFramer::feed(std::span<const std::uint8_t> bytes,
                                                      Clock::time_point now) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (!bytes.empty()) {
        lastArrival_ = now;
    }
    std::vector<Piece> pieces;
    while (pending_.size() >= kRequestSize) {
        const std::span<const std::uint8_t> head(pending_.data(), kRequestSize);
        if (std::ranges::equal(head, kHandshakeRequest) ||
            std::ranges::equal(head, kReportRequest)) {
            const Kind kind = head[0] == kHandshakeRequest[0] ? Kind::Handshake : Kind::Report;
            pieces.push_back({kind, {head.begin(), head.end()}});
            pending_.erase(pending_.begin(), pending_.begin() + kRequestSize);
            continue;
        }
        // Not a request at the front: reject up to the first byte from which a request may
        // still follow.
        std::size_t keepFrom = 1;
        while (keepFrom < pending_.size() &&
               !couldBeRequest(std::span(pending_).subspan(keepFrom))) {
            ++keepFrom;
        }
        pieces.push_back(
            {Kind::Rejected, {pending_.begin(), pending_.begin() + static_cast<long>(keepFrom)}});
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(keepFrom));
    }
    return pieces;
}

std::optional<RequestFramer::Piece> RequestFramer::expire(Clock::time_point now) {
    if (pending_.empty() || now - lastArrival_ < kQuietGap) {
        return std::nullopt;
    }
    Piece rejected{Kind::Rejected, std::move(pending_)};
    pending_.clear();
    return rejected;
}

std::optional<RequestFramer::Clock::time_point> RequestFramer::deadline() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return lastArrival_ + kQuietGap;
}

} // namespace varne
