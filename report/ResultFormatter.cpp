#include "report/ResultFormatter.h"

#include "report/PrintfFormat.h"
#include "report/SaturatingCast.h"
#include "report/TestCatalogue.h"

namespace varne {

namespace {

// Every comparison widens the stored single-precision value to double and compares it with
// these double constants.
constexpr double kAbsentValue = 999998.999;
constexpr double kCountBase = 200000.0;
constexpr double kOneDecimalCount = 99999.985;
constexpr double kLongestTime = 9999.9985;
constexpr double kPickUpClamp = 9999.999;
constexpr double kRounding = 0.5;
constexpr double kPositivePolarity = 999.0;
constexpr double kFrequencyMarker = 650000.0;
constexpr double kHarmonicLimit = 99.99;

enum TestType : std::uint8_t {
    PickUp = 0,
    TripTime = 2,
    Timer = 4,
    CtTest = 5,
    Advanced = 8,
    AutoTest = 10,
    TripPulse = 12,
};

// Tells the sink, when there is one, what the lines show.
class Shown {
public:
    explicit Shown(ResultValueSink* sink) : sink_(sink) {}

    void names(std::string_view kind, std::string_view subkind) const {
        if (sink_ != nullptr) {
            sink_->names(kind, subkind);
        }
    }
    void value(std::string_view label, double number, std::string_view unit) const {
        if (sink_ != nullptr) {
            sink_->value(label, number, unit);
        }
    }
    void curve(const ExcitationCurve& points) const {
        if (sink_ != nullptr) {
            sink_->curve(points);
        }
    }

private:
    ResultValueSink* sink_;
};

bool isShown(float value) {
    return static_cast<double>(value) < kAbsentValue;
}

int roundedInt(float value) {
    return truncateToInt(static_cast<double>(value) + kRounding);
}

enum class LineEnd { None, Newline };

// The count steps of the time line: a value above 200000 is a count plus 200000.
std::string countLine(const char* label, double value, LineEnd end, const Shown& shown) {
    const double count = value - kCountBase;
    shown.value(label, count, "C");
    const bool newline = end == LineEnd::Newline;
    if (count > kOneDecimalCount) {
        return newline ? formatPrintf("%s %.1fC\n", label, count)
                       : formatPrintf("%s %.1fC", label, count);
    }
    return newline ? formatPrintf("%s %.2fC\n", label, count)
                   : formatPrintf("%s %.2fC", label, count);
}

// A time value under a label: a count, seconds below 9999.9985, or no line at all.
std::string timeLine(const char* label, float stored, LineEnd end, const Shown& shown) {
    const double value = stored;
    if (value >= kAbsentValue) {
        return {};
    }
    if (value > kCountBase) {
        return countLine(label, value, end, shown);
    }
    if (value < kLongestTime) {
        shown.value(label, value, "s");
        return end == LineEnd::Newline ? formatPrintf("%s %.3fs\n", label, value)
                                       : formatPrintf("%s %.3fs", label, value);
    }
    return {};
}

std::string pickUp(std::uint8_t subType, std::uint8_t option, float v1, float v2, float v3,
                   const Shown& shown) {
    std::string unit1;
    std::string unit2;
    std::string unit3;
    CResultFormatter::PickUnits(PickUp, subType, option, unit1, unit2, unit3);
    const bool boundaries = option == 3;
    const char* label1 = boundaries ? "Boundary1: " : "Pick up: ";
    const char* label2 = boundaries ? "Boundary2: " : "Drop off: ";
    const char* label3 = boundaries ? "MS Angle: " : "Ratio: ";

    std::string result;
    if (isShown(v1)) {
        shown.value(label1, static_cast<double>(v1), unit1);
        appendPrintf(result, "%s %.3f%s\n", label1, static_cast<double>(v1), unit1.c_str());
    }
    if (isShown(v2)) {
        shown.value(label2, static_cast<double>(v2), unit2);
        appendPrintf(result, "%s %.3f%s\n", label2, static_cast<double>(v2), unit2.c_str());
    }
    if (isShown(v3)) {
        shown.value(label3, static_cast<double>(v3), unit3);
        if (static_cast<double>(v3) > kPickUpClamp) {
            v3 = static_cast<float>(kPickUpClamp);
        }
        appendPrintf(result, "%s %.3f%s", label3, static_cast<double>(v3), unit3.c_str());
    }
    return result;
}

void appendPoint(std::string& out, const CurvePoint& point) {
    appendPrintf(out, "%.3fA/%.3fV   ", static_cast<double>(point.current),
                 static_cast<double>(point.voltage));
}

std::string excitationCurve(const ExcitationCurve& curve) {
    const auto& p = curve.points;
    const auto six = [&p](const char* format) {
        return formatPrintf(format, static_cast<double>(p[0].current),
                            static_cast<double>(p[0].voltage), static_cast<double>(p[1].current),
                            static_cast<double>(p[1].voltage), static_cast<double>(p[2].current),
                            static_cast<double>(p[2].voltage), static_cast<double>(p[3].current),
                            static_cast<double>(p[3].voltage), static_cast<double>(p[4].current),
                            static_cast<double>(p[4].voltage), static_cast<double>(p[5].current),
                            static_cast<double>(p[5].voltage));
    };
    if (!curve.fromPointCount) {
        return six("%.3fA/%.3fV   %.3fA/%.3fV\n%.3fA/%.3fV   %.3fA/%.3fV\n"
                   "%.3fA/%.3fV   %.3fA/%.3fV");
    }
    std::string text;
    std::size_t first = 0;
    if (curve.count > 6) {
        text = six("%.3fA/%.3fV   %.3fA/%.3fV\n%.3fA/%.3fV   %.3fA/%.3fV\n"
                   "%.3fA/%.3fV   %.3fA/%.3fV\n");
        first = 6;
    }
    // Two points to a line; the pairing counts from the first point printed here.
    for (std::size_t j = 0; first + j < curve.count; ++j) {
        appendPoint(text, p[first + j]);
        if (j % 2 == 1) {
            text += "\n";
        }
    }
    return text;
}

std::string ctTest(std::uint8_t subType, const ExcitationCurve& curve, float v1, float v2,
                   const Shown& shown) {
    switch (subType) {
    case 0:
        // One line shows both numbers of the ratio; each is told under a name of its own.
        shown.value("Ratio primary: ", static_cast<double>(v1), "");
        shown.value("Ratio secondary: ", static_cast<double>(v2), "");
        return formatPrintf("Ratio: %5d/%2d", roundedInt(v1), roundedInt(v2));
    case 1:
        return static_cast<double>(v1) > kPositivePolarity ? "Positive Polarity"
                                                           : "Negative Polarity";
    case 2:
        shown.value("Resistance: ", static_cast<double>(v1), "mohm");
        shown.value("75deg: ", static_cast<double>(v2), "mohm");
        return formatPrintf("Resistance: %dmohm\n75deg: %dmohm", roundedInt(v1), roundedInt(v2));
    case 3:
        shown.curve(curve);
        return excitationCurve(curve);
    default:
        return {};
    }
}

std::string advanced(std::uint8_t subType, std::uint8_t option, float v1, float v2, float v3,
                     const Shown& shown) {
    std::string result;
    switch (subType) {
    case 0: // Differential
        if (isShown(v1)) {
            shown.value("Trip I1: ", static_cast<double>(v1), "A");
            appendPrintf(result, "%s %.2fA\n", "Trip I1: ", static_cast<double>(v1));
        }
        if (isShown(v2)) {
            shown.value("     I2: ", static_cast<double>(v2), "A");
            appendPrintf(result, "%s %.2fA\n", "     I2: ", static_cast<double>(v2));
        }
        return result + timeLine("Time: ", v3, LineEnd::None, shown);
    case 1: { // Df/Dt: no absent test, a frequency marker instead
        const double value = v1;
        if (value >= kFrequencyMarker) {
            return "Operating Frequency>Operate Frequency";
        }
        if (value > kCountBase) {
            return countLine("Time: ", value, LineEnd::None, shown);
        }
        if (value < kLongestTime) {
            shown.value("Time: ", value, "s");
            return formatPrintf("Time: %.3fs", value);
        }
        return {};
    }
    case 2: // Synchronizing
        if (isShown(v1)) {
            shown.value("Trip U1: ", static_cast<double>(v1), "V");
            appendPrintf(result, "%s %.2fV\n", "Trip U1: ", static_cast<double>(v1));
        }
        if (isShown(v2)) {
            shown.value("     U2: ", static_cast<double>(v2), "V");
            appendPrintf(result, "%s %.2fV\n", "     U2: ", static_cast<double>(v2));
        }
        if (isShown(v3)) {
            shown.value("Delta Angl: ", static_cast<double>(v3), "\xA1\xE3");
            // The degree sign in GB2312, as the tester's software has always written it.
            appendPrintf(result, "%s %.1f\xA1\xE3", "Delta Angl: ", static_cast<double>(v3));
        }
        return result;
    case 3: // Harmonic
        if (static_cast<double>(v1) > kHarmonicLimit) {
            return "Harmonic coefficients:>99.99%";
        }
        shown.value("Harmonic coefficients:", static_cast<double>(v1), "%");
        return formatPrintf("Harmonic coefficients:%.3f%%", static_cast<double>(v1));
    case 4: // Recloseing
        result = timeLine("Time: ", v1, LineEnd::Newline, shown);
        result += timeLine("Pulse: ", v2, LineEnd::Newline, shown);
        if (option == 1) {
            result += timeLine("AccTrip: ", v3, LineEnd::Newline, shown);
        }
        return result;
    case 5: // Motor overload
        return timeLine("Time: ", v1, LineEnd::None, shown);
    default:
        return {};
    }
}

std::string autoTest(std::uint8_t subType, int channel, float v1, float v3, const Shown& shown) {
    const std::string unit(autoTestChannelUnit(channel));
    switch (subType) {
    case 2: { // Linear Ramp: the pick-up line has no absent test
        shown.value("Pick up: ", static_cast<double>(v1), unit);
        std::string result =
            formatPrintf("%s %.3f%s\n", "Pick up: ", static_cast<double>(v1), unit.c_str());
        if (isShown(v3)) {
            const double dropOff = static_cast<double>(v3) * static_cast<double>(v1);
            shown.value("Drop off: ", dropOff, unit);
            shown.value("Ratio: ", static_cast<double>(v3), "");
            appendPrintf(result, "%s %.3f%s\n", "Drop off: ", dropOff, unit.c_str());
            appendPrintf(result, "%s %.3f%s", "Ratio: ", static_cast<double>(v3), "");
        }
        return result;
    }
    case 3: // Pulse Ramp
        shown.value("Pick up: ", static_cast<double>(v1), unit);
        return formatPrintf("%s %.3f%s", "Pick up: ", static_cast<double>(v1), unit.c_str());
    default:
        return {};
    }
}

std::string headingOf(std::uint8_t testType, std::span<const std::string_view> subTypes,
                      std::uint8_t subType, const Shown& shown) {
    const std::string subkind = catalogueName(subTypes, subType);
    shown.names(TestTypeNames[testType], subkind);
    return std::string(TestTypeNames[testType]) + "\n" + subkind;
}

} // namespace

void CResultFormatter::FormatRecord(std::uint8_t testType, std::uint8_t subType,
                                    std::uint8_t option, std::size_t entryIndex,
                                    std::string& heading, std::string& result) const {
    format(testType, subType, option, entryIndex, heading, result, nullptr);
}

void CResultFormatter::FormatRecord(std::uint8_t testType, std::uint8_t subType,
                                    std::uint8_t option, std::size_t entryIndex,
                                    std::string& heading, std::string& result,
                                    ResultValueSink& values) const {
    format(testType, subType, option, entryIndex, heading, result, &values);
}

void CResultFormatter::format(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                              std::size_t entryIndex, std::string& heading, std::string& result,
                              ResultValueSink* values) const {
    const Shown shown(values);
    result.clear();
    const float v1 = image_.value(entryIndex, 1);
    const float v2 = image_.value(entryIndex, 2);
    const float v3 = image_.value(entryIndex, 3);

    switch (testType) {
    case PickUp:
        heading = headingOf(testType, PickUpChannelNames, subType, shown);
        result = pickUp(subType, option, v1, v2, v3, shown);
        break;
    case TripTime:
        heading = headingOf(testType, TripTimeChannelNames, subType, shown);
        result = timeLine("Trip Time: ", v1, LineEnd::None, shown);
        break;
    case Timer:
        heading = headingOf(testType, TimerModeNames, subType, shown);
        if (subType < TimerModeNames.size()) {
            result = timeLine("Time: ", v1, LineEnd::None, shown);
        }
        break;
    case CtTest:
        heading = headingOf(testType, CtTestNames, subType, shown);
        result = ctTest(subType,
                        subType == 3 ? image_.curvePoints(entryIndex, handshakeValue_)
                                     : ExcitationCurve{},
                        v1, v2, shown);
        break;
    case Advanced:
        heading = headingOf(testType, AdvancedTestNames, subType, shown);
        result = advanced(subType, option, v1, v2, v3, shown);
        break;
    case AutoTest: {
        const int channel = truncateToInt(static_cast<double>(v2));
        heading = headingOf(testType, AutoTestRampNames, subType, shown) + "\n" +
                  autoTestChannelName(channel);
        result = autoTest(subType, channel, v1, v3, shown);
        break;
    }
    case TripPulse:
        heading = headingOf(testType, TripPulseChannelNames, subType, shown);
        result = timeLine("Trip Time: ", v1, LineEnd::Newline, shown);
        result += timeLine("Pulse: ", v2, LineEnd::Newline, shown);
        break;
    default:
        heading = "Unknown Test";
        shown.names(heading, catalogueName({}, subType));
        break;
    }
}

void CResultFormatter::PickUnits(std::uint8_t testType, std::uint8_t subType, std::uint8_t option,
                                 std::string& unit1, std::string& unit2, std::string& unit3) {
    unit1.clear();
    unit2.clear();
    unit3.clear();
    if (testType != PickUp) {
        return;
    }
    const char* unit = "";
    switch (subType) {
    case 0:
        unit = "A";
        break;
    case 1: // AC-Test: the option is the quantity tested
        switch (option) {
        case 0:
            unit = "V";
            break;
        case 1:
            unit = "A";
            break;
        case 2:
            unit = "Hz";
            break;
        case 3:
            unit = "deg";
            unit3 = "deg";
            break;
        default:
            break;
        }
        break;
    case 2:
    case 4:
        unit = "V";
        break;
    case 3:
        unit = option == 0 ? "V" : option == 1 ? "A" : "";
        break;
    case 5:
        unit = option == 2 ? "Hz" : "mA";
        break;
    case 6:
        unit = "mA";
        break;
    default:
        break;
    }
    unit1 = unit;
    unit2 = unit;
}

} // namespace varne
