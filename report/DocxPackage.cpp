#include "report/DocxPackage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <pugixml.hpp>
#include <zip.h>

namespace varne {

namespace {

// Parts larger than this are not a report template; refusing them keeps a damaged or hostile
// archive from exhausting memory.
constexpr zip_uint64_t kMaxPartSize = 64u << 20;
constexpr std::uintmax_t kMaxPackageSize = 256u << 20;

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceReleaser {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscarder>;
using Source = std::unique_ptr<zip_source_t, SourceReleaser>;
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

std::string describe(zip_error_t& error) {
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

struct MallocFreer {
    void operator()(void* memory) const { std::free(memory); }
};

// A source over `bytes`. A writable one reads a copy that libzip owns: writing the archive
// shares the unchanged front of the old contents with the new ones, and libzip 1.7 then frees
// that shared part as its own even when the caller owns it, which would free the package's
// bytes under it (and once more when the package goes) whenever the replaced part is not the
// first in the archive.
Source bufferSource(const std::vector<char>& bytes, bool writable, zip_error_t& error) {
    if (!writable) {
        return Source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
    }
    std::unique_ptr<void, MallocFreer> copy(std::malloc(std::max<std::size_t>(bytes.size(), 1)));
    if (!copy) {
        zip_error_set(&error, ZIP_ER_MEMORY, 0);
        return nullptr;
    }
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    Source source(zip_source_buffer_create(copy.get(), bytes.size(), 1, &error));
    if (source) {
        static_cast<void>(copy.release()); // the source frees it
    }
    return source;
}

// Opens the archive over `bytes`. When `keepSource` is given it receives a reference of its
// own to the source, through which a written archive can be read back after zip_close.
Archive openArchive(const std::vector<char>& bytes, int flags, std::string& error,
                    Source* keepSource = nullptr) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    Source source = bufferSource(bytes, (flags & ZIP_RDONLY) == 0, zipError);
    if (!source) {
        error = describe(zipError);
        return nullptr;
    }
    Archive archive(zip_open_from_source(source.get(), flags, &zipError));
    if (!archive) {
        error = "not a Word document package (" + describe(zipError) + ")";
        return nullptr;
    }
    zip_error_fini(&zipError);
    if (keepSource) {
        zip_source_keep(source.get());
        *keepSource = std::move(source);
    } else {
        static_cast<void>(source.release()); // the archive owns it now
    }
    return archive;
}

bool readArchiveEntry(zip_t* archive, const std::string& name, std::string& content,
                      std::string& error) {
    const zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        error = "the package has no part " + name;
        return false;
    }
    if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kMaxPartSize) {
        error = "the part " + name + " is too large";
        return false;
    }
    Entry entry(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    if (!entry) {
        error = "cannot read " + name + ": " + zip_strerror(archive);
        return false;
    }
    content.assign(stat.size, '\0');
    zip_uint64_t total = 0;
    while (total < stat.size) {
        const zip_int64_t got = zip_fread(entry.get(), content.data() + total, stat.size - total);
        if (got <= 0) {
            error = "cannot read " + name + ": " + zip_file_strerror(entry.get());
            return false;
        }
        total += static_cast<zip_uint64_t>(got);
    }
    return true;
}

// The target of the package's officeDocument relationship; word/document.xml when the
// relationships do not say.
std::string findMainDocumentPart(zip_t* archive) {
    std::string relationships;
    std::string ignored;
    pugi::xml_document document;
    if (readArchiveEntry(archive, "_rels/.rels", relationships, ignored) &&
        document.load_buffer(relationships.data(), relationships.size())) {
        for (const auto relationship : document.child("Relationships").children("Relationship")) {
            const std::string_view type = relationship.attribute("Type").value();
            std::string_view target = relationship.attribute("Target").value();
            if (type.ends_with("/officeDocument") && !target.empty()) {
                if (target.starts_with('/')) {
                    target.remove_prefix(1);
                }
                return std::string(target);
            }
        }
    }
    return "word/document.xml";
}

} // namespace

std::optional<DocxPackage> DocxPackage::Load(const std::filesystem::path& path,
                                             std::string& error) {
    std::error_code fileError;
    const auto size = std::filesystem::file_size(path, fileError);
    if (fileError) {
        error = path.string() + ": " + fileError.message();
        return std::nullopt;
    }
    if (size > kMaxPackageSize) {
        error = path.string() + ": too large for a report template";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }

    DocxPackage package(std::move(bytes));
    const Archive archive = openArchive(package.bytes_, ZIP_RDONLY, error);
    if (!archive) {
        error = path.string() + ": " + error;
        return std::nullopt;
    }
    package.mainDocumentPart_ = findMainDocumentPart(archive.get());
    if (zip_name_locate(archive.get(), package.mainDocumentPart_.c_str(), 0) < 0) {
        error =
            path.string() + ": not a Word document package (no " + package.mainDocumentPart_ + ")";
        return std::nullopt;
    }
    return package;
}

bool DocxPackage::ReadEntry(const std::string& name, std::string& content,
                            std::string& error) const {
    const Archive archive = openArchive(bytes_, ZIP_RDONLY, error);
    return archive && readArchiveEntry(archive.get(), name, content, error);
}

bool DocxPackage::WithEntryReplaced(const std::string& name, std::string_view content,
                                    std::vector<char>& package, std::string& error) const {
    Source written;
    Archive archive = openArchive(bytes_, 0, error, &written);
    if (!archive) {
        return false;
    }
    const zip_int64_t index = zip_name_locate(archive.get(), name.c_str(), 0);
    if (index < 0) {
        error = "the package has no part " + name;
        return false;
    }
    Source replacement(zip_source_buffer(archive.get(), content.data(), content.size(), 0));
    if (!replacement || zip_file_replace(archive.get(), static_cast<zip_uint64_t>(index),
                                         replacement.get(), ZIP_FL_ENC_UTF_8) != 0) {
        error = std::string("cannot replace ") + name + ": " + zip_strerror(archive.get());
        return false;
    }
    static_cast<void>(replacement.release()); // the archive owns it now
    zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
    if (zip_close(archive.get()) != 0) {
        error = std::string("cannot build the document: ") + zip_strerror(archive.get());
        return false;
    }
    static_cast<void>(archive.release()); // zip_close has freed it

    zip_source_t* source = written.get();
    if (zip_source_open(source) != 0) {
        error = std::string("cannot read the built document: ") +
                zip_error_strerror(zip_source_error(source));
        return false;
    }
    bool ok = zip_source_seek(source, 0, SEEK_END) == 0;
    const zip_int64_t size = ok ? zip_source_tell(source) : -1;
    ok = size >= 0 && zip_source_seek(source, 0, SEEK_SET) == 0;
    if (ok) {
        package.resize(static_cast<std::size_t>(size));
        ok = zip_source_read(source, package.data(), package.size()) == size;
    }
    if (!ok) {
        error = std::string("cannot read the built document: ") +
                zip_error_strerror(zip_source_error(source));
    }
    zip_source_close(source);
    return ok;
}

} // namespace varne
