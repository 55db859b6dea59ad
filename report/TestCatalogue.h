#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace varne {

// Names of the tester's test codes, indexed from 0 by code. The texts are printed exactly as
// they stand, blanks included.

inline constexpr std::array<std::string_view, 14> TestTypeNames{"Pick Up",
                                                                "Auxiliary DC Voltage",
                                                                "Trip Time",
                                                                "Measurement",
                                                                "Timer",
                                                                "CT Test",
                                                                "Manual Test",
                                                                "Report Setting",
                                                                "Advanced",
                                                                "Report View",
                                                                "Auto Test",
                                                                "System Setting",
                                                                "Trip time+Pulse length",
                                                                "PC Control"};

inline constexpr std::array<std::string_view, 7> PickUpChannelNames{
    " AC-I1", " AC-Test", " AC-U1", " DC-Test", " Udc ", " AC-I3", " DC-I3"};

inline constexpr std::array<std::string_view, 7> TripTimeChannelNames{
    "AC-I1", "AC Test", " Udc ", "DC Test", "AC-I3", "DC-I3", "AC-U1"};

inline constexpr std::array<std::string_view, 7> TripPulseChannelNames{
    "AC-I1", "AC Test", " Udc ", "DC Test", "AC-I3", "DC-I3", "AC-U1"};

inline constexpr std::array<std::string_view, 2> TimerModeNames{"Single Channel T1",
                                                                "Double Channel T1-T2"};

inline constexpr std::array<std::string_view, 4> CtTestNames{
    "Ratio", "Polarity", "Winding Resistance", "Excitation Curve"};

inline constexpr std::array<std::string_view, 6> AdvancedTestNames{
    "Differential", "Df/Dt", "Synchronizing", "Harmonic", "Recloseing", "Motor overload"};

inline constexpr std::array<std::string_view, 4> AutoTestRampNames{"", "Shot", "Linear Ramp",
                                                                   "Pulse Ramp"};

// Auto Test channels are coded 15..25; these two tables are indexed by code minus 15.
inline constexpr int kFirstAutoTestChannel = 15;
inline constexpr std::array<std::string_view, 11> AutoTestChannelNames{
    " AC-I1", " AC-I1", " AC-U1", "Udc-2.5A", "Udc-0.5A", " AC-I2",
    " AC-U2", " DC-I2", " DC-U2", " AC-I3",   " DC-I3"};
inline constexpr std::array<std::string_view, 11> AutoTestChannelUnits{
    "A", "A", "V", "V", "V", "A", "V", "A", "V", "mA", "mA"};

// Not printed in any report line; kept with the other names of the tester.
inline constexpr std::array<std::string_view, 8> ModuleNames{
    "Relay Test",   "Auxiliary DC", "CT Test",  "Timer",
    "Manual&Meter", "Report View",  "Any Test", "System Setting"};
inline constexpr std::array<std::string_view, 4> AcQuantityNames{"Voltage Test", "Current Test",
                                                                 "Frequence Test", "Phase Test"};

// The name of `code` in `table`, or a visible stand-in such as "Unknown (7)" for a code the
// table does not hold.
std::string catalogueName(std::span<const std::string_view> table, int code);

// Name and unit of an Auto Test channel code; outside 15..25 the name is the stand-in and the
// unit is empty.
std::string autoTestChannelName(int code);
std::string_view autoTestChannelUnit(int code);

} // namespace varne
