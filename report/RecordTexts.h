#pragma once

#include "report/ReportImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace varne {

// The three texts of every test of the last report, indexed by record number k: the k-th
// present directory entry, counted from 0 in directory order. Each run overwrites records
// 0..m_nRecordCount-1; higher records keep texts of an earlier, longer report but are never
// used again.
struct RecordTexts {
    std::array<std::string, ReportImage::kEntryCount> m_strHeading;
    std::array<std::string, ReportImage::kEntryCount> m_strDate;
    std::array<std::string, ReportImage::kEntryCount> m_strResult;
    std::size_t m_nRecordCount = 0;
};

// Formats every present entry of a complete image into `texts`, in directory order, and sets
// the record count.
void collectRecordTexts(const ReportImage& image, std::uint8_t handshakeValue, RecordTexts& texts);

// "20YY-MM-DD hh:mm:ss" from the binary date bytes of a directory entry.
std::string dateText(const DirectoryEntry& entry);

} // namespace varne
