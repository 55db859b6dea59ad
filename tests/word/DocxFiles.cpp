#include "DocxFiles.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>
#include <zip.h>

namespace varne::test {

namespace fs = std::filesystem;

namespace {

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscarder>;

struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

} // namespace

std::map<std::string, std::string> ReadZipEntries(const fs::path& archivePath) {
    std::map<std::string, std::string> entries;
    int error = 0;
    Archive archive(zip_open(archivePath.c_str(), ZIP_RDONLY, &error));
    if (!archive) {
        return entries;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        zip_stat_index(archive.get(), index, 0, &stat);
        std::string content(stat.size, '\0');
        std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive.get(), index, 0));
        if (!entry || zip_fread(entry.get(), content.data(), stat.size) !=
                          static_cast<zip_int64_t>(stat.size)) {
            ADD_FAILURE() << "cannot read " << stat.name << " of " << archivePath;
        }
        entries[stat.name] = content;
    }
    return entries;
}

void WriteZip(const fs::path& archivePath, const std::map<std::string, std::string>& entries) {
    int error = 0;
    Archive archive(zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    ASSERT_TRUE(archive) << archivePath;
    for (const auto& [name, content] : entries) {
        zip_source_t* source = zip_source_buffer(archive.get(), content.data(), content.size(), 0);
        ASSERT_GE(zip_file_add(archive.get(), name.c_str(), source, 0), 0) << name;
    }
    ASSERT_EQ(zip_close(archive.get()), 0) << zip_strerror(archive.get());
    static_cast<void>(archive.release());
}

bool LoadDocumentXml(const fs::path& docx, pugi::xml_document& document) {
    const auto entries = ReadZipEntries(docx);
    const auto part = entries.find("word/document.xml");
    if (part == entries.end()) {
        return false;
    }
    return document.load_buffer(part->second.data(), part->second.size(),
                                pugi::parse_default | pugi::parse_ws_pcdata);
}

std::string ParagraphText(const pugi::xml_node paragraph) {
    std::string text;
    auto nodes = paragraph.select_nodes(".//w:t | .//w:br | .//w:tab");
    nodes.sort();
    for (const auto node : nodes) {
        const std::string_view name = node.node().name();
        text += name == "w:t" ? node.node().text().get() : name == "w:br" ? "\n" : "\t";
    }
    return text;
}

pugi::xml_node BookmarkParagraph(const pugi::xml_document& document, const std::string& name) {
    const auto start =
        document.select_node(("//w:bookmarkStart[@w:name='" + name + "']").c_str()).node();
    if (!start) {
        return {};
    }
    if (const auto enclosing = start.select_node("ancestor::w:p[1]").node()) {
        return enclosing;
    }
    return start.select_node("following::w:p[1]").node();
}

TemporaryDirectory::TemporaryDirectory() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("varne_word_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path SourceDirectory() {
    return VARNE_TEST_SOURCE_DIR;
}

fs::path ShippedTemplate() {
    return SourceDirectory() / "res" / "Configure" / "Varne_Report.docx";
}

} // namespace varne::test
