#pragma once

#include "sim/SimulatorFault.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varne {

// What the simulated tester sends for a report request: the image followed by its check byte.
struct ReportReply {
    std::vector<std::uint8_t> payload;
    // Empty, or a remark for the user about how the payload was made from a file.
    std::string note;
};

// Makes the report reply from the contents of an image file. A file of 5120 bytes is an image
// and gets its check byte appended; a file of 5121 bytes is a reply as the tester sent it and is
// served unchanged, stored check byte included. Any other size is served as an image of that
// size with a freshly computed check byte, and the note says so.
ReportReply reportReplyFromFile(std::span<const std::uint8_t> contents);

// The report reply as a fault changes it: ShortImage keeps the first 2000 image bytes,
// OversizeReply pads the image with zeros to 6000 bytes (each with a fresh check byte), and
// BadChecksum makes the last byte disagree with the sum. Other faults keep the reply.
std::vector<std::uint8_t> reportReplyWithFault(std::span<const std::uint8_t> payload,
                                               SimulatorFault fault);

} // namespace varne
