#include "library/RecordLibrary.h"

#include "library/LibraryError.h"
#include "library/RecordSelection.h"
#include "library/Schema.h"
#include "report/model/RecordFingerprint.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

namespace varne::library {

namespace {

// Text for a NOT NULL column: never a null QString, which the drivers bind as NULL.
QVariant text(const std::string& value) {
    return value.empty() ? QVariant(QStringLiteral("")) : QVariant(QString::fromStdString(value));
}

QVariant number(double value) {
    return std::isfinite(value) ? QVariant(value) : QVariant(QMetaType::fromType<double>());
}

QString sqlTestTime(const std::optional<TestTime>& time) {
    if (!time) {
        return {};
    }
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", time->year, time->month, time->day,
                             time->hour, time->minute, time->second);
}

QString utcText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'"));
}

QString localText(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

std::string fingerprintOf(const TestRecord& record) {
    return RecordFingerprint(record.identityBytes);
}

} // namespace

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    return QCryptographicHash::hash(
               QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// The statements of adding a download, prepared once per connection.
struct RecordLibrary::Statements {
    explicit Statements(QSqlDatabase& db)
        : insertDownload(db), insertRecord(db), findRecord(db), insertQuantity(db), insertPoint(db),
          insertSlot(db) {}
    QSqlQuery insertDownload;
    QSqlQuery insertRecord;
    QSqlQuery findRecord;
    QSqlQuery insertQuantity;
    QSqlQuery insertPoint;
    QSqlQuery insertSlot;
};

RecordLibrary::RecordLibrary(const LibraryLocation& location, Access access)
    : location_(location), dialect_(location.engine),
      connectionName_(QStringLiteral("varne-library-") + QUuid::createUuid().toString()) {
    openConnection(access);
    prepareSchema(access);
}

RecordLibrary::~RecordLibrary() {
    statements_.reset();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

void RecordLibrary::fail(const QString& what, const QString& detail) const {
    throw LibraryError("the record library " + location_.describe() + " " + what.toStdString() +
                       (detail.isEmpty() ? std::string() : ": " + detail.toStdString()));
}

void RecordLibrary::exec(const QString& sql) {
    QSqlQuery query(db_);
    if (!query.exec(sql)) {
        fail(QStringLiteral("cannot be used"), query.lastError().text());
    }
}

void RecordLibrary::openConnection(Access access) {
    if (location_.engine == LibraryLocation::Engine::SQLite) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(location_.file, ec);
        if (!exists && access == Access::Read) {
            fail(QStringLiteral("does not exist"),
                 QStringLiteral("varne get and varne import create it"));
        }
        if (!exists && location_.file.has_parent_path()) {
            std::filesystem::create_directories(location_.file.parent_path(), ec);
            if (ec) {
                fail(QStringLiteral("cannot be created"), QString::fromStdString(ec.message()));
            }
        }
    }
    if (!QSqlDatabase::isDriverAvailable(dialect_.driverName())) {
        fail(QStringLiteral("cannot be opened"),
             QStringLiteral("the Qt SQL driver %1 is not installed").arg(dialect_.driverName()));
    }
    db_ = QSqlDatabase::addDatabase(dialect_.driverName(), connectionName_);
    dialect_.configure(db_, location_);
    if (!db_.open()) {
        fail(QStringLiteral("cannot be opened"), db_.lastError().text());
    }
    for (const QString& sql : dialect_.sessionSetup()) {
        exec(sql);
    }
}

int RecordLibrary::schemaVersion() {
    QSqlQuery tables(db_);
    tables.setForwardOnly(true);
    if (!tables.exec(dialect_.tableNamesQuery())) {
        fail(QStringLiteral("cannot be read"), tables.lastError().text());
    }
    bool any = false;
    bool versioned = false;
    while (tables.next()) {
        any = true;
        versioned = versioned || tables.value(0).toString() == QLatin1String(kSchemaVersionTable);
    }
    if (!any) {
        return 0;
    }
    if (!versioned) {
        fail(QStringLiteral("is not a record library"),
             QStringLiteral("it holds other tables and no schema version; it is left as it is"));
    }
    QSqlQuery version(db_);
    if (!version.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) ||
        !version.next()) {
        fail(QStringLiteral("cannot be read"), version.lastError().text());
    }
    bool ok = false;
    const int number = version.value(0).toInt(&ok);
    if (!ok || number < 1) {
        fail(QStringLiteral("is not a record library"),
             QStringLiteral("its schema version is missing"));
    }
    return number;
}

void RecordLibrary::prepareSchema(Access access) {
    const int found = schemaVersion();
    if (found > kSchemaVersion) {
        fail(QStringLiteral("was written by a newer program"),
             QStringLiteral("its schema version is %1, this program knows version %2 and leaves "
                            "it unchanged")
                 .arg(found)
                 .arg(kSchemaVersion));
    }
    if (found == 0 && access == Access::Read) {
        fail(QStringLiteral("is empty"), QStringLiteral("varne get and varne import fill it"));
    }
    if (found < kSchemaVersion) {
        migrate(found);
    }
    if (access == Access::Write) {
        for (const QString& sql : dialect_.writerSetup()) {
            exec(sql);
        }
    }
}

void RecordLibrary::migrate(int from) {
    for (const QString& sql : dialect_.beginSchemaChange()) {
        exec(sql);
    }
    try {
        // Another program may have done it while this one waited for the lock.
        const int found = schemaVersion();
        if (found > kSchemaVersion) {
            fail(QStringLiteral("was written by a newer program"),
                 QStringLiteral("its schema version is %1").arg(found));
        }
        const auto steps = SchemaMigrations(dialect_);
        for (int version = std::max(found, from); version < kSchemaVersion; ++version) {
            for (const QString& sql : steps[static_cast<std::size_t>(version)]) {
                QSqlQuery query(db_);
                if (!query.exec(sql)) {
                    fail(QStringLiteral("cannot be created"), query.lastError().text());
                }
            }
            if (version > 0) {
                exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version + 1));
            }
        }
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

AddResult RecordLibrary::addDownload(const DownloadInfo& download,
                                     std::span<const TestRecord> records) {
    AddResult result;
    result.tests = records.size();

    if (!statements_) {
        statements_ = std::make_unique<Statements>(db_);
        Statements& s = *statements_;
        const bool prepared =
            s.insertDownload.prepare(QStringLiteral(
                "INSERT INTO downloads (downloaded_at, local_time, port, handshake, byte_count, "
                "sha256, raw_path) VALUES (?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (sha256, downloaded_at) DO NOTHING RETURNING id")) &&
            s.insertRecord.prepare(QStringLiteral(
                "INSERT INTO records (fingerprint, type_code, subtype_code, option_code, kind, "
                "subkind, tested_at, heading, heading_folded, date_text, result, "
                "first_download_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (fingerprint) DO NOTHING RETURNING id")) &&
            s.findRecord.prepare(QStringLiteral("SELECT id FROM records WHERE fingerprint = ?")) &&
            s.insertQuantity.prepare(
                QStringLiteral("INSERT INTO quantities (record_id, ordinal, name, value, unit) "
                               "VALUES (?, ?, ?, ?, ?)")) &&
            s.insertPoint.prepare(QStringLiteral(
                "INSERT INTO curve_points (record_id, ordinal, current_a, voltage_v) "
                "VALUES (?, ?, ?, ?)")) &&
            s.insertSlot.prepare(QStringLiteral(
                "INSERT INTO download_records (download_id, slot, record_id) VALUES (?, ?, ?)"));
        if (!prepared) {
            statements_.reset();
            fail(QStringLiteral("cannot be written"),
                 QStringLiteral("its tables do not take the statements"));
        }
    }
    Statements& s = *statements_;
    const auto run = [this](QSqlQuery& query) {
        if (!query.exec()) {
            fail(QStringLiteral("cannot be written"), query.lastError().text());
        }
    };

    exec(dialect_.beginWrite());
    try {
        s.insertDownload.bindValue(0, utcText(download.time));
        s.insertDownload.bindValue(1, localText(download.time));
        s.insertDownload.bindValue(2, text(download.port));
        s.insertDownload.bindValue(3,
                                   static_cast<int>(static_cast<std::int8_t>(download.handshake)));
        s.insertDownload.bindValue(4, static_cast<qlonglong>(download.byteCount));
        s.insertDownload.bindValue(5, text(download.sha256));
        s.insertDownload.bindValue(6, download.rawPath.empty()
                                          ? QVariant(QMetaType::fromType<QString>())
                                          : QVariant(QString::fromStdString(download.rawPath)));
        run(s.insertDownload);
        if (!s.insertDownload.next()) {
            s.insertDownload.finish();
            exec(QStringLiteral("ROLLBACK"));
            result.alreadyAdded = true;
            return result;
        }
        const qlonglong downloadId = s.insertDownload.value(0).toLongLong();
        s.insertDownload.finish();

        // Records in the order of their fingerprints: concurrent writers take the keys' locks
        // in one order and never deadlock.
        std::vector<std::pair<std::string, const TestRecord*>> ordered;
        ordered.reserve(records.size());
        for (const TestRecord& record : records) {
            ordered.emplace_back(fingerprintOf(record), &record);
        }
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });

        for (const auto& [fingerprint, record] : ordered) {
            const TestRecord& r = *record;
            s.insertRecord.bindValue(0, text(fingerprint));
            s.insertRecord.bindValue(1, int{r.type});
            s.insertRecord.bindValue(2, int{r.subtype});
            s.insertRecord.bindValue(3, int{r.option});
            s.insertRecord.bindValue(4, text(r.kind));
            s.insertRecord.bindValue(5, text(r.subkind));
            const QString testedAt = sqlTestTime(r.testedAt);
            s.insertRecord.bindValue(6, testedAt.isEmpty()
                                            ? QVariant(QMetaType::fromType<QString>())
                                            : QVariant(testedAt));
            s.insertRecord.bindValue(7, text(r.heading));
            s.insertRecord.bindValue(8, text(FoldCase(r.heading)));
            s.insertRecord.bindValue(9, text(r.date));
            s.insertRecord.bindValue(10, text(r.result));
            s.insertRecord.bindValue(11, downloadId);
            run(s.insertRecord);
            qlonglong recordId = 0;
            if (s.insertRecord.next()) {
                recordId = s.insertRecord.value(0).toLongLong();
                s.insertRecord.finish();
                ++result.newTests;
                for (std::size_t i = 0; i < r.quantities.size(); ++i) {
                    const Quantity& q = r.quantities[i];
                    s.insertQuantity.bindValue(0, recordId);
                    s.insertQuantity.bindValue(1, static_cast<int>(i));
                    s.insertQuantity.bindValue(2, text(q.name));
                    s.insertQuantity.bindValue(3, number(q.value));
                    s.insertQuantity.bindValue(4, text(q.unit));
                    run(s.insertQuantity);
                }
                for (std::size_t i = 0; i < r.curve.size(); ++i) {
                    s.insertPoint.bindValue(0, recordId);
                    s.insertPoint.bindValue(1, static_cast<int>(i));
                    s.insertPoint.bindValue(2, number(r.curve[i].current));
                    s.insertPoint.bindValue(3, number(r.curve[i].voltage));
                    run(s.insertPoint);
                }
            } else {
                s.insertRecord.finish();
                s.findRecord.bindValue(0, text(fingerprint));
                run(s.findRecord);
                if (!s.findRecord.next()) {
                    fail(QStringLiteral("cannot be written"),
                         QStringLiteral("a record vanished while it was added"));
                }
                recordId = s.findRecord.value(0).toLongLong();
                s.findRecord.finish();
            }
            s.insertSlot.bindValue(0, downloadId);
            s.insertSlot.bindValue(1, static_cast<int>(r.slot));
            s.insertSlot.bindValue(2, recordId);
            run(s.insertSlot);
        }
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        for (QSqlQuery* query : {&s.insertDownload, &s.insertRecord, &s.findRecord}) {
            query->finish();
        }
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    return result;
}

} // namespace varne::library
