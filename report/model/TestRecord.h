#pragma once

#include "report/ReportImage.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varne {

// One measured quantity of a test: its label in the result line without the trailing ": ",
// the number as stored (NaN or infinite when the tester stored such a value) and its unit
// ("C" for a count of the time encoding, empty where the report prints none).
struct Quantity {
    std::string name;
    double value = 0;
    std::string unit;
};

// The tester's local time of a test; only a real calendar date and time of day make one.
struct TestTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Earlier times compare less: the fields are compared in order, year first.
    auto operator<=>(const TestTime&) const = default;
};

// A test of a report image as typed data: what the record library, the exports and the PDF
// read. The texts are the report's own lines (heading, date, result) without CR, in UTF-8.
struct TestRecord {
    std::size_t slot = 0; // directory entry 0..29 that held it in this image
    std::uint8_t type = 0;
    std::uint8_t subtype = 0;
    std::uint8_t option = 0;
    std::string kind;    // the catalogue's name of the type, "Unknown Test" when it has none
    std::string subkind; // the catalogue's name of the subtype, "Unknown (N)" when it has none
    std::optional<TestTime> testedAt;
    std::string heading; // lines joined by "\n"
    std::string date;
    std::string result;
    std::vector<Quantity> quantities; // absent values ("no result") left out
    std::vector<CurvePoint> curve;    // the excitation curve's points; empty for other tests
    // Exactly the bytes the decoder read for this test (directory entry, record bytes, curve
    // extension) and the layout it read them with: two tests are the same test when these are
    // the same. Never the slot number.
    std::vector<std::uint8_t> identityBytes;
};

} // namespace varne
