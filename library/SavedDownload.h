#pragma once

#include "library/RecordLibrary.h"
#include "report/model/TestRecord.h"

#include <QDateTime>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varne::library {

// The tests of a downloaded payload, decoded as the reports read them. Nothing when the
// payload is too short to hold a report image.
std::optional<std::vector<TestRecord>> TestsOfPayload(std::span<const std::uint8_t> payload,
                                                      std::uint8_t handshake);

// A download as the library identifies it: its time (whole seconds count), the SHA-256 and
// size of its payload.
DownloadInfo DescribeDownload(std::span<const std::uint8_t> payload, const QDateTime& time,
                              const std::string& port, std::uint8_t handshake,
                              const std::string& rawPath);

// A raw image saved by varne get or the dialog (or any file holding a report payload).
struct SavedDownload {
    std::vector<std::uint8_t> payload;
    DownloadInfo info;
};

// Reads `file` and the .json sidecar beside it: the sidecar's time, port and handshake value;
// without a sidecar, the file's modification time and handshake value 7. `handshake`, when
// given, overrides both.
std::optional<SavedDownload> ReadSavedDownload(const std::filesystem::path& file,
                                               std::optional<std::uint8_t> handshake,
                                               std::string& error);

} // namespace varne::library
