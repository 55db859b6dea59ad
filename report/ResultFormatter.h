#pragma once

#include "report/ReportImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace varne {

// Turns one record of a report image into the heading text that names the test and the result
// text with its measured values, by the rules of its test type. Holds only the image it reads
// and the handshake value; nothing is kept between calls.
class CResultFormatter {
public:
    CResultFormatter(const ReportImage& image, std::uint8_t handshakeValue)
        : image_(image), handshakeValue_(handshakeValue) {}
    virtual ~CResultFormatter() = default;

    // Sets `heading` and `result` for the record of directory entry `entryIndex` (0..29).
    // An unknown test type gives the heading "Unknown Test" and an empty result.
    void FormatRecord(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                      std::size_t entryIndex, std::string& heading, std::string& result) const;

    // Units of the three Pick Up lines; all three empty for any other test type.
    static void PickUnits(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                          std::string& unit1, std::string& unit2, std::string& unit3);

private:
    const ReportImage& image_;
    std::uint8_t handshakeValue_;
};

} // namespace varne
