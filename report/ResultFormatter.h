#pragma once

#include "report/ReportImage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varne {

// Told what the formatter shows while it formats a record, in the order of the result text:
// every number printed under a label, the names of the heading and the curve that was printed.
// Labels and units are the report's own bytes (a label with its trailing ": ", the degree sign
// in GB2312). A value that gets no line is not told.
class ResultValueSink {
public:
    virtual ~ResultValueSink() = default;
    // kind: the test type's name or "Unknown Test"; subkind: the subtype's name or its stand-in.
    virtual void names(std::string_view kind, std::string_view subkind) = 0;
    // A number printed under `label`: the stored value (a count without its 200000, a product
    // where the line shows one), before any clamping or rounding of the printed text.
    virtual void value(std::string_view label, double number, std::string_view unit) = 0;
    virtual void curve(const ExcitationCurve& points) = 0;
};

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
    // The same, telling `values` what it shows.
    void FormatRecord(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                      std::size_t entryIndex, std::string& heading, std::string& result,
                      ResultValueSink& values) const;

    // Units of the three Pick Up lines; all three empty for any other test type.
    static void PickUnits(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                          std::string& unit1, std::string& unit2, std::string& unit3);

private:
    void format(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                std::size_t entryIndex, std::string& heading, std::string& result,
                ResultValueSink* values) const;

    const ReportImage& image_;
    std::uint8_t handshakeValue_;
};

} // namespace varne
