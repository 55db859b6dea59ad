#include "link/DownloadRequest.h"

#include "link/CheckByte.h"

#include <span>

namespace varne {

namespace {

constexpr std::uint16_t kReportMemoryAddress = 0xC000;
constexpr std::uint16_t kReportMemoryLength = 5120;

RequestRecord requestRecord(std::uint8_t command, std::uint8_t checkByteOffset) {
    RequestRecord record{};
    record[0] = command;
    record[4] = static_cast<std::uint8_t>(kReportMemoryAddress >> 8);
    record[5] = static_cast<std::uint8_t>(kReportMemoryAddress & 0xFF);
    record[6] = static_cast<std::uint8_t>(kReportMemoryLength >> 8);
    record[7] = static_cast<std::uint8_t>(kReportMemoryLength & 0xFF);
    const auto body = std::span<const std::uint8_t>(record).first(kRequestRecordSize - 1);
    record[kRequestRecordSize - 1] = static_cast<std::uint8_t>(checkByte(body) + checkByteOffset);
    return record;
}

} // namespace

RequestRecord handshakeRequestRecord() {
    return requestRecord(kHandshakeCommand, 1);
}

RequestRecord reportRequestRecord() {
    return requestRecord(kReportCommand, 0);
}

} // namespace varne
