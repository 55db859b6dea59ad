#include "library/Schema.h"

namespace varne::library {

std::vector<QStringList> SchemaMigrations(const SqlDialect& dialect) {
    const QString id = dialect.idColumnType();
    // Version 1. Times are text: downloads.downloaded_at in UTC ("2026-12-10T13:45:00Z", which
    // orders and identifies a download), local_time as the sidecar writes it (with its offset);
    // records.tested_at the tester's local time without zone ("2026-12-01T09:30:00", which
    // orders), NULL when the tester wrote no real date. A NULL quantity value or curve
    // coordinate is a value that was not a finite number.
    const QStringList version1{
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE downloads ("
                       " id %1,"
                       " downloaded_at TEXT NOT NULL,"
                       " local_time TEXT NOT NULL,"
                       " port TEXT NOT NULL,"
                       " handshake INTEGER NOT NULL,"
                       " byte_count BIGINT NOT NULL,"
                       " sha256 TEXT NOT NULL,"
                       " raw_path TEXT,"
                       " UNIQUE (sha256, downloaded_at))")
            .arg(id),
        QStringLiteral("CREATE TABLE records ("
                       " id %1,"
                       " fingerprint TEXT NOT NULL UNIQUE,"
                       " type_code INTEGER NOT NULL,"
                       " subtype_code INTEGER NOT NULL,"
                       " option_code INTEGER NOT NULL,"
                       " kind TEXT NOT NULL,"
                       " subkind TEXT NOT NULL,"
                       " tested_at TEXT,"
                       " heading TEXT NOT NULL,"
                       " heading_folded TEXT NOT NULL,"
                       " date_text TEXT NOT NULL,"
                       " result TEXT NOT NULL,"
                       " first_download_id BIGINT NOT NULL REFERENCES downloads (id))")
            .arg(id),
        QStringLiteral("CREATE TABLE quantities ("
                       " record_id BIGINT NOT NULL REFERENCES records (id),"
                       " ordinal INTEGER NOT NULL,"
                       " name TEXT NOT NULL,"
                       " value DOUBLE PRECISION,"
                       " unit TEXT NOT NULL,"
                       " PRIMARY KEY (record_id, ordinal))"),
        QStringLiteral("CREATE TABLE curve_points ("
                       " record_id BIGINT NOT NULL REFERENCES records (id),"
                       " ordinal INTEGER NOT NULL,"
                       " current_a DOUBLE PRECISION,"
                       " voltage_v DOUBLE PRECISION,"
                       " PRIMARY KEY (record_id, ordinal))"),
        QStringLiteral("CREATE TABLE download_records ("
                       " download_id BIGINT NOT NULL REFERENCES downloads (id),"
                       " slot INTEGER NOT NULL,"
                       " record_id BIGINT NOT NULL REFERENCES records (id),"
                       " PRIMARY KEY (download_id, slot))"),
        QStringLiteral("CREATE INDEX records_by_test_time ON records (tested_at)"),
        QStringLiteral("CREATE INDEX records_by_heading ON records (heading_folded)"),
        QStringLiteral("CREATE INDEX records_by_first_download ON records (first_download_id)"),
        QStringLiteral("CREATE INDEX download_records_by_record ON download_records (record_id)"),
        QStringLiteral("CREATE INDEX downloads_by_time ON downloads (downloaded_at)"),
        QStringLiteral("INSERT INTO schema_version (version) VALUES (1)"),
    };
    return {version1};
}

} // namespace varne::library
