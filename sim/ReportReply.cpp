#include "sim/ReportReply.h"

#include "link/CheckByte.h"
#include "report/ReportImageBuilder.h"

#include <algorithm>

namespace varne {

namespace {

constexpr std::size_t kShortImageSize = 2000;
constexpr std::size_t kOversizeImageSize = 6000;

std::vector<std::uint8_t> withCheckByte(std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> payload(image.begin(), image.end());
    payload.push_back(checkByte(image));
    return payload;
}

} // namespace

ReportReply reportReplyFromFile(std::span<const std::uint8_t> contents) {
    constexpr std::size_t imageSize = ReportImageBuilder::kImageSize;
    if (contents.size() == imageSize + 1) {
        return {std::vector<std::uint8_t>(contents.begin(), contents.end()), {}};
    }
    ReportReply reply{withCheckByte(contents), {}};
    if (contents.size() != imageSize) {
        reply.note = "image file holds " + std::to_string(contents.size()) +
                     " bytes, not 5120 (an image) or 5121 (a reply): serving them as they are "
                     "with a check byte appended, " +
                     std::to_string(reply.payload.size()) + " bytes in all";
    }
    return reply;
}

std::vector<std::uint8_t> reportReplyWithFault(std::span<const std::uint8_t> payload,
                                               SimulatorFault fault) {
    const std::span<const std::uint8_t> image =
        payload.empty() ? payload : payload.first(payload.size() - 1);
    switch (fault) {
    case SimulatorFault::ShortImage:
        return withCheckByte(image.first(std::min(image.size(), kShortImageSize)));
    case SimulatorFault::OversizeReply: {
        std::vector<std::uint8_t> padded(image.begin(), image.end());
        padded.resize(std::max(padded.size(), kOversizeImageSize), 0);
        return withCheckByte(padded);
    }
    case SimulatorFault::BadChecksum: {
        std::vector<std::uint8_t> wrong = withCheckByte(image);
        wrong.back() = static_cast<std::uint8_t>(wrong.back() + 1);
        return wrong;
    }
    default:
        return {payload.begin(), payload.end()};
    }
}

} // namespace varne
