#include "report/WordReport.h"

#include "base/MessageSink.h"
#include "report/AtomicFile.h"
#include "report/BookmarkParagraph.h"
#include "report/DocumentOpener.h"
#include "report/DocxPackage.h"
#include "report/LegacyTemplate.h"
#include "report/ReportFileName.h"
#include "report/WordText.h"

#include <cctype>
#include <iostream>
#include <optional>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

namespace varne {

namespace fs = std::filesystem;

namespace {

constexpr auto kTemplateFailed = "Please close the Varne_Report.doc";
constexpr auto kNoApplication = "Word can't be found!!!";
constexpr auto kOpenerFailed = "Word  server failed!!!";

// Parsed as Word wrote it and written back raw, so that no blank inside a text changes.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration;

bool hasExtension(const fs::path& path, std::string_view extension) {
    std::string actual = path.extension().string();
    for (auto& c : actual) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return actual == extension;
}

} // namespace

struct CWordReport::OpenDocumentState {
    DocxPackage package;
    pugi::xml_document mainPart;
};

CWordReport::CWordReport(MessageSink& messages, WordReportOptions options)
    : m_messages(messages), m_options(std::move(options)) {}

CWordReport::~CWordReport() = default;

void CWordReport::SetTemplatePath(const fs::path& path) {
    m_strTemplatePath = path;
}

int CWordReport::OpenDocument() {
    m_document.reset();
    m_savedPath.clear();

    std::string error;
    fs::path templatePath = m_strTemplatePath;
    // An old binary template (named directly, or lying where the .docx is missing) is
    // converted by LibreOffice.
    fs::path legacyPath = hasExtension(templatePath, ".doc") ? templatePath : fs::path{};
    std::error_code fileError;
    if (legacyPath.empty() && !fs::exists(templatePath, fileError)) {
        auto sibling = templatePath;
        sibling.replace_extension(".doc");
        if (fs::is_regular_file(sibling, fileError)) {
            legacyPath = sibling;
        }
    }
    if (!legacyPath.empty()) {
        const LegacyTemplate converter(m_options.legacyCacheDirectory.empty()
                                           ? LegacyTemplate::DefaultCacheDirectory()
                                           : m_options.legacyCacheDirectory);
        if (auto converted = converter.Convert(legacyPath, error)) {
            templatePath = *converted;
        } else {
            templatePath.clear();
        }
    }

    std::optional<DocxPackage> package;
    if (!templatePath.empty()) {
        package = DocxPackage::Load(templatePath, error);
    }
    std::string xml;
    if (package && package->ReadEntry(package->mainDocumentPart(), xml, error)) {
        auto state = std::make_unique<OpenDocumentState>(
            OpenDocumentState{std::move(*package), pugi::xml_document{}});
        const auto parsed = state->mainPart.load_buffer(xml.data(), xml.size(), kParseOptions);
        if (parsed && state->mainPart.document_element()) {
            m_document = std::move(state);
            return 1;
        }
        error = templatePath.string() + ": " + state->package.mainDocumentPart() +
                " is not well-formed XML (" + parsed.description() + ")";
    }
    std::cerr << "Word template: " << error << "\n";
    m_messages.error(kTemplateFailed);
    return 0;
}

bool CWordReport::FillLabel(const std::string& name, const std::string& text) {
    if (!m_document) {
        return false;
    }
    return FillBookmarkParagraph(m_document->mainPart, WordTextFromLabel(name),
                                 WordTextFromReportText(text));
}

bool CWordReport::ShowDocument() {
    if (!m_document) {
        return false;
    }
    const auto document = std::move(m_document);
    if (!save(*document)) {
        return false;
    }
    const auto outcome =
        m_options.opener ? m_options.opener->Open(m_savedPath) : OpenOutcome::Opened;
    if (outcome == OpenOutcome::NoApplication) {
        m_messages.error(kNoApplication);
    } else if (outcome == OpenOutcome::Failed) {
        m_messages.error(kOpenerFailed);
    }
    // Whatever became of opening it, the user learns where the report lies.
    m_messages.information("Save Success!!!", "Word report saved as " + m_savedPath.string());
    return true;
}

bool CWordReport::save(OpenDocumentState& document) {
    std::ostringstream xml;
    document.mainPart.save(xml, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string mainPart = xml.str();

    std::string error;
    std::vector<char> bytes;
    fs::path target = m_options.outputFile;
    if (target.empty()) {
        std::error_code ignored;
        const fs::path directory = m_options.outputDirectory.empty()
                                       ? fs::current_path(ignored) / "Varne_Report"
                                       : m_options.outputDirectory;
        const auto now = m_options.clock ? m_options.clock() : std::chrono::system_clock::now();
        const fs::path absolute = fs::absolute(directory, ignored);
        target = FreeWordReportPath(absolute.empty() ? directory : absolute, now);
    }
    if (!document.package.WithEntryReplaced(document.package.mainDocumentPart(), mainPart, bytes,
                                            error)) {
        error = target.string() + ": " + error;
    } else if (writeFileAtomically(target, bytes, error)) {
        m_savedPath = target;
        return true;
    }
    m_messages.error("The Word report could not be saved: " + error);
    return false;
}

} // namespace varne
