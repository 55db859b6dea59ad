#include "sim/DemoImage.h"

#include "report/ReportImageBuilder.h"

#include <array>
#include <utility>

namespace varne {

namespace {

// Test type, subtype and option codes as the tester stores them.
namespace type {
constexpr std::uint8_t PickUp = 0;
constexpr std::uint8_t TripTime = 2;
constexpr std::uint8_t Timer = 4;
constexpr std::uint8_t CtTest = 5;
constexpr std::uint8_t Advanced = 8;
constexpr std::uint8_t AutoTest = 10;
constexpr std::uint8_t TripAndPulse = 12;
} // namespace type

constexpr float kAbsent = 999999.0F;

struct DemoTest {
    std::uint8_t hour, minute, second;
    std::uint8_t testType, subType, option;
    float value1, value2, value3;
};

// The tests of the day in directory order; the day is 14 May 2024.
constexpr std::uint8_t kYear = 24;
constexpr std::uint8_t kMonth = 5;
constexpr std::uint8_t kDay = 14;
constexpr std::size_t kErasedEntry = 13;
constexpr std::size_t kCurveEntry = 18;

constexpr std::array<DemoTest, ReportImageBuilder::kEntryCount> kTests{{
    // Overcurrent stages on AC-I1: low set and high set (option 1: amperes).
    {8, 14, 5, type::PickUp, 0, 1, 1.002F, 0.953F, 0.951F},
    {8, 17, 40, type::PickUp, 0, 1, 5.012F, 4.771F, 0.952F},
    {8, 22, 13, type::TripTime, 0, 0, 0.312F, 0, 0},
    {8, 24, 51, type::TripTime, 0, 0, 0.048F, 0, 0},
    // Undervoltage on AC-U1: it drops off above its pick-up.
    {8, 31, 2, type::PickUp, 2, 0, 80.05F, 82.11F, 1.026F},
    // Underfrequency on the AC test channel (option 2: hertz).
    {8, 36, 27, type::PickUp, 1, 2, 49.50F, 49.60F, 1.002F},
    // Directional element (option 3: boundaries and maximum sensitivity angle).
    {8, 41, 55, type::PickUp, 1, 3, 134.6F, -44.2F, 45.2F},
    // DC auxiliary relays and the trip circuit supervision.
    {8, 49, 10, type::PickUp, 3, 0, 77.30F, 41.20F, 0.533F},
    {8, 55, 38, type::PickUp, 4, 0, 68.50F, kAbsent, kAbsent},
    // Sensitive earth fault on AC-I3 and a DC transducer on DC-I3, in milliamperes.
    {9, 3, 20, type::PickUp, 5, 0, 20.15F, 18.30F, 0.908F},
    {9, 10, 44, type::PickUp, 6, 0, 10.20F, 6.10F, 0.598F},
    {9, 18, 2, type::TripTime, 2, 0, 0.0185F, 0, 0},
    // Circuit-breaker timing.
    {9, 25, 30, type::Timer, 0, 0, 0.062F, 0, 0},
    {9, 29, 0, type::Timer, 0, 0, 0.058F, 0, 0}, // erased afterwards
    {9, 33, 47, type::Timer, 1, 0, 0.215F, 0, 0},
    // Current transformer of the bay, 600/5.
    {10, 5, 12, type::CtTest, 0, 0, 599.8F, 5.0F, 0},
    {10, 9, 33, type::CtTest, 1, 0, 1000.0F, 0, 0},
    {10, 14, 58, type::CtTest, 2, 0, 312.4F, 379.8F, 0},
    {10, 26, 41, type::CtTest, 3, 0, 0, 0, 0}, // excitation curve, written below
    // Transformer differential, synchronising check and the rest of the advanced tests.
    {11, 2, 15, type::Advanced, 0, 0, 1.25F, 0.52F, 0.035F},
    {11, 15, 9, type::Advanced, 1, 0, 0.182F, 0, 0},
    {11, 28, 36, type::Advanced, 2, 0, 57.32F, 56.10F, 9.8F},
    {11, 40, 2, type::Advanced, 3, 0, 15.2F, 0, 0},
    {13, 5, 27, type::Advanced, 4, 1, 0.305F, 0.102F, 0.041F},
    {13, 21, 50, type::Advanced, 5, 0, 42.75F, 0, 0},
    // Automatic ramps: value2 is the channel code (15 AC-I1, 17 AC-U1, 20 AC-I2).
    {13, 48, 14, type::AutoTest, 2, 0, 1.004F, 15.0F, 0.952F},
    {14, 6, 33, type::AutoTest, 3, 0, 63.42F, 17.0F, kAbsent},
    {14, 19, 8, type::AutoTest, 1, 0, 0.50F, 20.0F, kAbsent},
    // Trip command and its pulse length.
    {14, 37, 45, type::TripAndPulse, 0, 0, 0.087F, 0.120F, 0},
    {14, 52, 19, type::TripAndPulse, 3, 0, 0.0235F, 0.250F, 0},
}};

// Magnetising curve of the CT's protection core: current in A, voltage in V.
constexpr std::array<std::pair<float, float>, 8> kExcitationCurve{{
    {0.005F, 20.1F},
    {0.010F, 45.3F},
    {0.020F, 82.6F},
    {0.040F, 121.8F},
    {0.080F, 148.9F},
    {0.150F, 163.2F},
    {0.300F, 172.5F},
    {0.600F, 178.9F},
}};

} // namespace

std::vector<std::uint8_t> demoReportImage() {
    ReportImageBuilder builder;
    for (std::size_t i = 0; i < kTests.size(); ++i) {
        const DemoTest& t = kTests[i];
        builder.entry(i, EntryFields{kYear, kMonth, kDay, t.hour, t.minute, t.second, t.testType,
                                     t.subType, t.option});
        builder.values(i, t.value1, t.value2, t.value3);
    }
    builder.curve(kCurveEntry, kExcitationCurve, static_cast<std::int8_t>(kExcitationCurve.size()));
    // A test deleted on the tester: its bytes stay, but the entry no longer counts.
    builder.marker(kErasedEntry, 0x00);
    return builder.image();
}

} // namespace varne
