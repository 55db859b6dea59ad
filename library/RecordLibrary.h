#pragma once

#include "library/LibraryLocation.h"
#include "library/SqlDialect.h"
#include "report/model/TestRecord.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace varne::library {

// One download as the library keeps it. A download is identified by the SHA-256 of its
// payload and its time (whole seconds): adding the same download twice adds nothing.
struct DownloadInfo {
    QDateTime time; // the sidecar's time, or the file's modification time
    std::string port;
    std::uint8_t handshake = 7;
    std::uint64_t byteCount = 0;
    std::string sha256; // lower-case hex of the payload
    std::string rawPath;
};

struct AddResult {
    std::size_t tests = 0;    // tests the download held
    std::size_t newTests = 0; // of them, tests the library did not hold before
    bool alreadyAdded = false;
};

// The record library: every test ever downloaded, each once, in an SQLite file or a
// PostgreSQL database. Every method throws LibraryError when the database fails; a failed
// write leaves the library as it was.
class RecordLibrary {
public:
    enum class Access {
        Read,  // the library must exist; nothing is created
        Write, // an absent library is created (the SQLite file and its directory too)
    };

    // Opens the library, creating or migrating its schema as needed. A schema newer than this
    // program, or a database holding something else, is refused and left untouched.
    RecordLibrary(const LibraryLocation& location, Access access);
    ~RecordLibrary();
    RecordLibrary(const RecordLibrary&) = delete;
    RecordLibrary& operator=(const RecordLibrary&) = delete;

    // Adds a download and the tests it held, in one transaction.
    AddResult addDownload(const DownloadInfo& download, std::span<const TestRecord> records);

    const LibraryLocation& location() const { return location_; }
    const SqlDialect& dialect() const { return dialect_; }
    QSqlDatabase& database() { return db_; }

private:
    struct Statements;

    void openConnection(Access access);
    void prepareSchema(Access access);
    int schemaVersion();
    void migrate(int from);
    void exec(const QString& sql);
    [[noreturn]] void fail(const QString& what, const QString& detail) const;

    LibraryLocation location_;
    SqlDialect dialect_;
    QString connectionName_;
    QSqlDatabase db_;
    std::unique_ptr<Statements> statements_;
};

// The SHA-256 of `bytes` in lower-case hex.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace varne::library
