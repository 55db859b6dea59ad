// Builds the Word report template (Configure/Varne_Report.docx) from its readable source:
//   varne_make_template SOURCE_DIR OUTPUT.docx
// SOURCE_DIR/parts holds the package's parts as they are stored; the line <!--@RECORD_ROWS@-->
// of word/document.xml is replaced by 30 copies of SOURCE_DIR/record-row.xml, whose @N@,
// @HEADING_ID@, @DATE_ID@ and @RESULT_ID@ become the record number (1..30) and the ids of its
// three bookmarks. Entries are stored in a fixed order with a fixed time, so the same source
// always gives the same parts.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <zip.h>

namespace {

namespace fs = std::filesystem;

constexpr int kRecordCount = 30;
constexpr std::string_view kRowsMarker = "<!--@RECORD_ROWS@-->\n";
constexpr std::time_t kEntryTime = 1577836800; // 2020-01-01

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscarder>;

struct Part {
    std::string name;
    std::string content;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string recordRows(const std::string& rowTemplate) {
    std::string rows;
    for (int record = 1; record <= kRecordCount; ++record) {
        const int firstId = 3 * (record - 1);
        std::string row = rowTemplate;
        replaceAll(row, "@N@", std::to_string(record));
        replaceAll(row, "@HEADING_ID@", std::to_string(firstId));
        replaceAll(row, "@DATE_ID@", std::to_string(firstId + 1));
        replaceAll(row, "@RESULT_ID@", std::to_string(firstId + 2));
        rows += row;
    }
    return rows;
}

// The package's parts, [Content_Types].xml first (as Word writes it), the rest by name.
std::vector<Part> readParts(const fs::path& source) {
    const fs::path partsDirectory = source / "parts";
    std::vector<Part> parts;
    for (const auto& entry : fs::recursive_directory_iterator(partsDirectory)) {
        if (entry.is_regular_file()) {
            parts.push_back({fs::relative(entry.path(), partsDirectory).generic_string(),
                             readFile(entry.path())});
        }
    }
    std::ranges::sort(parts, [](const Part& a, const Part& b) {
        const bool aTypes = a.name == "[Content_Types].xml";
        const bool bTypes = b.name == "[Content_Types].xml";
        return aTypes != bTypes ? aTypes : a.name < b.name;
    });

    const auto document = std::ranges::find(parts, "word/document.xml", &Part::name);
    if (document == parts.end() || document->content.find(kRowsMarker) == std::string::npos) {
        throw std::runtime_error("word/document.xml has no line <!--@RECORD_ROWS@-->");
    }
    replaceAll(document->content, kRowsMarker, recordRows(readFile(source / "record-row.xml")));
    return parts;
}

void writePackage(const fs::path& output, const std::vector<Part>& parts) {
    int error = 0;
    Archive archive(zip_open(output.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, error);
        const std::string reason = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        throw std::runtime_error("cannot create " + output.string() + ": " + reason);
    }
    for (const auto& part : parts) {
        zip_source_t* source =
            zip_source_buffer(archive.get(), part.content.data(), part.content.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive.get(), part.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            throw std::runtime_error("cannot add " + part.name + ": " +
                                     zip_strerror(archive.get()));
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        zip_set_file_compression(archive.get(), entry, ZIP_CM_DEFLATE, 9);
        zip_file_set_mtime(archive.get(), entry, kEntryTime, 0);
    }
    if (zip_close(archive.get()) != 0) {
        throw std::runtime_error("cannot write " + output.string() + ": " +
                                 zip_strerror(archive.get()));
    }
    static_cast<void>(archive.release()); // zip_close has freed it
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: varne_make_template SOURCE_DIR OUTPUT.docx\n";
        return 2;
    }
    try {
        writePackage(argv[2], readParts(argv[1]));
    } catch (const std::exception& failure) {
        std::cerr << "varne_make_template: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
