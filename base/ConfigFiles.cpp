#include "base/ConfigFiles.h"

#include "base/MessageSink.h"

#include <fstream>
#include <iostream>
#include <istream>
#include <string_view>

namespace varne {

namespace {

// Text-mode reading: a line ends at LF, and a CR before it (a file written on Windows) is not
// part of the line. A UTF-8 byte-order mark that some editors put in front is not content.
class TextLineReader {
public:
    explicit TextLineReader(std::istream& in) : in_(in) {}

    bool next(std::string& line) {
        if (!std::getline(in_, line)) {
            return false;
        }
        if (first_) {
            first_ = false;
            constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
            if (line.starts_with(byteOrderMark)) {
                line.erase(0, byteOrderMark.size());
            }
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }

private:
    std::istream& in_;
    bool first_ = true;
};

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const auto begin = text.find_first_not_of(blanks);
    if (begin == std::string_view::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

} // namespace

ConfigPaths BuildPaths(const std::filesystem::path& workingDirectory) {
    const auto configure = workingDirectory / "Configure";
    return {
        .templatePath = configure / "Varne_Report.docx",
        .labelPath = configure / "Varne_wordlabel.abl",
        .textReportPath = workingDirectory / "Varne_Report" / "Varne_Report.txt",
        .portFilePath = configure / "Varne_Com.txt",
    };
}

ConfigPaths BuildPaths() {
    std::error_code error;
    auto workingDirectory = std::filesystem::current_path(error);
    if (error) {
        // A working directory that has been removed: relative names still say what is missing.
        workingDirectory = ".";
    }
    return BuildPaths(workingDirectory);
}

std::string ParsePortFile(std::istream& in) {
    TextLineReader reader(in);
    std::string start;
    std::string name;
    std::string end;
    // Missing lines read as empty, which makes the file malformed.
    reader.next(start);
    if (start != "COMSTART") {
        return {};
    }
    reader.next(name);
    reader.next(end);
    return end == "COMEND" ? name : std::string{};
}

std::size_t ParseLabelFile(std::istream& in, LabelEntries& labels) {
    TextLineReader reader(in);
    std::size_t index = 0;
    std::size_t ignored = 0;
    std::string line;
    while (reader.next(line)) {
        const std::string_view content = trimmed(line);
        if (content.starts_with('*')) {
            break;
        }
        if (content.starts_with('#') || content.starts_with(';')) {
            continue;
        }
        const auto equals = content.find('=');
        const std::string_view value =
            equals == std::string_view::npos ? content : content.substr(equals + 1);
        if (index < labels.size()) {
            labels[index++] = std::string(value);
        } else {
            ++ignored;
        }
    }
    return ignored;
}

void ReadConfigFiles(const ConfigPaths& paths, Configuration& config, MessageSink& messages) {
    config.m_strFilePort.clear();
    if (std::ifstream portFile(paths.portFilePath, std::ios::binary); portFile) {
        config.m_strFilePort = ParsePortFile(portFile);
    }

    std::ifstream labelFile(paths.labelPath, std::ios::binary);
    if (!labelFile) {
        messages.error("Can not find Varne_wordlabel.abl!!!");
        return;
    }
    config.m_strDevice1 = "\\Device\\cyg_ser0";
    config.m_strDevice2 = "\\Device\\slabser0";
    config.m_strDevice3 = "\\Device\\Silabser0";
    if (const auto ignored = ParseLabelFile(labelFile, config.m_strLabel); ignored > 0) {
        std::cerr << "warning: " << paths.labelPath.string() << " holds " << ignored
                  << " value(s) beyond the " << kLabelCount << " labels; they are ignored\n";
    }
}

} // namespace varne
