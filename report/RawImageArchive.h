#pragma once

#include <QDateTime>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace varne {

// What a sidecar records about one raw download.
struct RawImageRecord {
    std::uint8_t handshakeValue = 7;
    std::string port;
    QDateTime localTime;
};

// "2026-12-10 14:03:22 UTC+01:00": the local time of a download with its offset from UTC, as
// reports show it; "unknown" for an invalid time.
std::string downloadTimeText(const QDateTime& localTime);

// Keeps every downloaded report payload exactly as the tester sent it, before anything is
// rendered from it: <directory>/YYYYMMDD_HHMMSS.bin with a sidecar of the same name ending
// .json (handshake value, port, local time, byte count, SHA-256). Never overwrites: a second
// download in the same second gets a suffix _2, _3 ...
class RawImageArchive {
public:
    explicit RawImageArchive(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // The path of the stored image, or nothing with `error` set.
    std::optional<std::filesystem::path> store(std::span<const std::uint8_t> payload,
                                               const RawImageRecord& record, std::string& error);

    // The handshake value recorded in the sidecar beside `imagePath`, if there is a readable one.
    static std::optional<std::uint8_t> handshakeFromSidecar(const std::filesystem::path& imagePath);
    // Everything the sidecar beside `imagePath` records (port empty and time invalid where it
    // holds none), if it is readable and holds a handshake value.
    static std::optional<RawImageRecord> recordFromSidecar(const std::filesystem::path& imagePath);
    static std::filesystem::path sidecarPath(const std::filesystem::path& imagePath);

private:
    std::filesystem::path directory_;
};

} // namespace varne
