// The Word writer with hostile input: bookmark names and texts of any bytes filled into the
// shipped template, and word/document.xml of any content inside an otherwise valid package.
// The earlier report must stay as it was whenever no new one is written, and a saved report
// must be a package whose main part is well-formed XML.

#include "DocxBuilder.h"
#include "FuzzSupport.h"
#include "report/DocxPackage.h"
#include "report/WordReport.h"

#include <cstdint>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <iterator>
#include <pugixml.hpp>
#include <string>

namespace varne::fuzz {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEarlierReport = "the earlier report";

// Options that save the report to exactly `file` and open nothing.
WordReportOptions writingTo(const fs::path& file) {
    WordReportOptions options;
    options.outputFile = file;
    return options;
}

std::string fileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void checkSavedPackage(const fs::path& path) {
    std::string error;
    const auto package = DocxPackage::Load(path, error);
    VARNE_FUZZ_CHECK(package.has_value());
    std::string xml;
    VARNE_FUZZ_CHECK(package->ReadEntry(package->mainDocumentPart(), xml, error));
    pugi::xml_document document;
    VARNE_FUZZ_CHECK(document.load_buffer(xml.data(), xml.size(), pugi::parse_default));
}

} // namespace
} // namespace varne::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varne;
    using namespace varne::fuzz;
    static ScratchDirectory scratch("varne-word-fuzz");
    static const fs::path shippedTemplate =
        fs::path(VARNE_SOURCE_ROOT) / "res" / "Configure" / "Varne_Report.docx";
    const fs::path builtTemplate = scratch.path() / "Built.docx";
    const fs::path output = scratch.path() / "Varne_Report.docx";

    FuzzedDataProvider in(data, size);
    const bool ownDocumentXml = in.ConsumeBool();
    std::vector<std::pair<std::string, std::string>> fills;
    const auto fillCount = in.ConsumeIntegralInRange<std::size_t>(0, 8);
    for (std::size_t i = 0; i < fillCount; ++i) {
        std::string name = in.ConsumeRandomLengthString(64);
        std::string text = in.ConsumeRandomLengthString(512);
        fills.emplace_back(std::move(name), std::move(text));
    }
    fs::path templatePath = shippedTemplate;
    if (ownDocumentXml) {
        VARNE_FUZZ_CHECK(
            WriteDocxWithDocumentXml(builtTemplate, in.ConsumeRemainingBytesAsString()));
        templatePath = builtTemplate;
    }
    writeFile(output, kEarlierReport);

    CheckingMessageSink messages;
    CWordReport word(messages, writingTo(output));
    word.SetTemplatePath(templatePath);
    const bool opened = word.OpenDocument() != 0;
    for (const auto& [name, text] : fills) {
        word.FillLabel(name, text);
    }
    word.ShowDocument();

    if (opened) {
        VARNE_FUZZ_CHECK(word.savedPath() == output);
        checkSavedPackage(output);
    } else {
        VARNE_FUZZ_CHECK(messages.count > 0);
        VARNE_FUZZ_CHECK(word.savedPath().empty());
        VARNE_FUZZ_CHECK(fileContent(output) == kEarlierReport);
    }
    return 0;
}
