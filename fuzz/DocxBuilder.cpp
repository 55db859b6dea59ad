#include "DocxBuilder.h"

#include <array>
#include <memory>
#include <utility>
#include <zip.h>

namespace varne::fuzz {

namespace {

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

constexpr std::string_view kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

constexpr std::string_view kPackageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

} // namespace

bool WriteDocxWithDocumentXml(const std::filesystem::path& archivePath,
                              std::string_view documentXml) {
    int error = 0;
    std::unique_ptr<zip_t, ArchiveDiscarder> archive(
        zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        return false;
    }
    const std::array<std::pair<const char*, std::string_view>, 3> entries{{
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels", kPackageRelationships},
        {"word/document.xml", documentXml},
    }};
    for (const auto& [name, content] : entries) {
        // The buffers outlive zip_close below; libzip reads them only then.
        zip_source_t* source = zip_source_buffer(archive.get(), content.data(), content.size(), 0);
        if (source == nullptr) {
            return false;
        }
        if (zip_file_add(archive.get(), name, source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            return false;
        }
    }
    if (zip_close(archive.get()) != 0) {
        return false;
    }
    static_cast<void>(archive.release()); // zip_close freed it
    return true;
}

} // namespace varne::fuzz
