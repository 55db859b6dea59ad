#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace varne {

class MessageSink;

// Where the program finds its configuration and puts its text report: fixed names below the
// working directory it was started in.
struct ConfigPaths {
    std::filesystem::path templatePath;   // Configure/Varne_Report.docx
    std::filesystem::path labelPath;      // Configure/Varne_wordlabel.abl
    std::filesystem::path textReportPath; // Varne_Report/Varne_Report.txt
    std::filesystem::path portFilePath;   // Configure/Varne_Com.txt
};

ConfigPaths BuildPaths(const std::filesystem::path& workingDirectory);
// From the current working directory.
ConfigPaths BuildPaths();

inline constexpr std::size_t kLabelCount = 150;
using LabelEntries = std::array<std::string, kLabelCount>;

struct Configuration {
    // The port named by hand in the port file; empty when the file is missing or malformed.
    std::string m_strFilePort;
    // Bookmark names of the Word template, three per record, by position in the label file.
    LabelEntries m_strLabel;
    // Bridge device names looked up by port discovery; the label file reader sets the second
    // and third.
    std::string m_strDevice1 = "\\Device\\cyg_ser0";
    std::string m_strDevice2;
    std::string m_strDevice3;

    std::array<std::string, 3> deviceNames() const {
        return {m_strDevice1, m_strDevice2, m_strDevice3};
    }
};

// Reads the port file and the label file once. A missing label file is told through `messages`
// ("Can not find Varne_wordlabel.abl!!!"); label values beyond the table are ignored with a
// warning on standard error.
void ReadConfigFiles(const ConfigPaths& paths, Configuration& config, MessageSink& messages);

// The port name of a port file's text: line 2 when line 1 is exactly "COMSTART" and line 3
// exactly "COMEND", else empty.
std::string ParsePortFile(std::istream& in);

// Fills `labels` from entry 0 with the values of a label file's text, up to its "*" line or its
// end. Gives the number of values that did not fit in the table.
std::size_t ParseLabelFile(std::istream& in, LabelEntries& labels);

} // namespace varne
