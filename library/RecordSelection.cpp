#include "library/RecordSelection.h"

#include "library/LibraryError.h"
#include "library/RecordLibrary.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cstdio>
#include <limits>
#include <unordered_map>

namespace varne::library {

namespace {

// The WHERE and ORDER BY of a selection over `records r`, with its bound values in order.
struct SelectionSql {
    QString where;
    QString order;
    QVariantList values;
};

QString escapeLike(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == '\\' || c == '%' || c == '_') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

SelectionSql selectionSql(const RecordFilter& filter) {
    SelectionSql sql;
    QStringList conditions;
    if (filter.since) {
        conditions << QStringLiteral("r.tested_at >= ?");
        sql.values << filter.since->toString(Qt::ISODate);
    }
    if (filter.until) {
        conditions << QStringLiteral("r.tested_at < ?");
        sql.values << filter.until->addDays(1).toString(Qt::ISODate);
    }
    if (!filter.kind.empty()) {
        conditions << QStringLiteral("r.heading_folded LIKE ? ESCAPE '\\'");
        sql.values << QStringLiteral("%") +
                          escapeLike(QString::fromStdString(FoldCase(filter.kind))) +
                          QStringLiteral("%");
    }
    if (filter.onlyNew) {
        conditions << QStringLiteral("r.first_download_id = (SELECT d.id FROM downloads d "
                                     "ORDER BY d.downloaded_at DESC, d.id DESC LIMIT 1)");
    }
    if (!conditions.isEmpty()) {
        sql.where = QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    sql.order = QStringLiteral(
        " ORDER BY CASE WHEN r.tested_at IS NULL THEN 1 ELSE 0 END, r.tested_at DESC, r.id DESC");
    if (filter.limit) {
        sql.order +=
            QStringLiteral(" LIMIT %1")
                .arg(std::min<std::size_t>(*filter.limit, std::numeric_limits<qint64>::max()));
    }
    return sql;
}

std::optional<TestTime> parseTestTime(const QVariant& value) {
    if (value.isNull()) {
        return std::nullopt;
    }
    const QByteArray text = value.toString().toLatin1();
    TestTime time;
    if (std::sscanf(text.constData(), "%d-%d-%dT%d:%d:%d", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second) != 6) {
        return std::nullopt;
    }
    return time;
}

double numberOf(const QVariant& value) {
    return value.isNull() ? std::numeric_limits<double>::quiet_NaN() : value.toDouble();
}

class Reader {
public:
    Reader(RecordLibrary& library, const QString& sql, const QVariantList& values)
        : library_(library), query_(library.database()) {
        query_.setForwardOnly(true);
        if (!query_.prepare(sql)) {
            fail();
        }
        for (int i = 0; i < values.size(); ++i) {
            query_.bindValue(i, values[i]);
        }
        if (!query_.exec()) {
            fail();
        }
    }
    QSqlQuery& query() { return query_; }

private:
    [[noreturn]] void fail() const {
        throw LibraryError("the record library " + library_.location().describe() +
                           " cannot be read: " + query_.lastError().text().toStdString());
    }
    RecordLibrary& library_;
    QSqlQuery query_;
};

} // namespace

std::string FoldCase(const std::string& text) {
    return QString::fromStdString(text).toCaseFolded().toStdString();
}

std::vector<LibraryRecord> SelectRecords(RecordLibrary& library, const RecordFilter& filter,
                                         RecordDetail detail) {
    const SelectionSql sql = selectionSql(filter);
    std::vector<LibraryRecord> records;
    std::unordered_map<qlonglong, std::size_t> indexOf;
    {
        Reader reader(library,
                      QStringLiteral("SELECT r.id, r.fingerprint, r.type_code, r.subtype_code, "
                                     "r.option_code, r.kind, r.subkind, r.tested_at, r.heading, "
                                     "r.date_text, r.result FROM records r") +
                          sql.where + sql.order,
                      sql.values);
        QSqlQuery& q = reader.query();
        while (q.next()) {
            LibraryRecord item;
            item.fingerprint = q.value(1).toString().toStdString();
            TestRecord& r = item.record;
            r.type = static_cast<std::uint8_t>(q.value(2).toInt());
            r.subtype = static_cast<std::uint8_t>(q.value(3).toInt());
            r.option = static_cast<std::uint8_t>(q.value(4).toInt());
            r.kind = q.value(5).toString().toStdString();
            r.subkind = q.value(6).toString().toStdString();
            r.testedAt = parseTestTime(q.value(7));
            r.heading = q.value(8).toString().toStdString();
            r.date = q.value(9).toString().toStdString();
            r.result = q.value(10).toString().toStdString();
            indexOf.emplace(q.value(0).toLongLong(), records.size());
            records.push_back(std::move(item));
        }
    }
    if (detail == RecordDetail::Summary || records.empty()) {
        return records;
    }

    const QString selected = QStringLiteral("(SELECT r.id FROM records r") + sql.where +
                             (filter.limit ? sql.order : QString()) + QStringLiteral(")");
    {
        Reader reader(
            library,
            QStringLiteral("SELECT q.record_id, q.name, q.value, q.unit FROM quantities q "
                           "WHERE q.record_id IN ") +
                selected + QStringLiteral(" ORDER BY q.record_id, q.ordinal"),
            sql.values);
        QSqlQuery& q = reader.query();
        while (q.next()) {
            const auto found = indexOf.find(q.value(0).toLongLong());
            if (found != indexOf.end()) {
                records[found->second].record.quantities.push_back(
                    {q.value(1).toString().toStdString(), numberOf(q.value(2)),
                     q.value(3).toString().toStdString()});
            }
        }
    }
    {
        Reader reader(library,
                      QStringLiteral("SELECT c.record_id, c.current_a, c.voltage_v "
                                     "FROM curve_points c WHERE c.record_id IN ") +
                          selected + QStringLiteral(" ORDER BY c.record_id, c.ordinal"),
                      sql.values);
        QSqlQuery& q = reader.query();
        while (q.next()) {
            const auto found = indexOf.find(q.value(0).toLongLong());
            if (found != indexOf.end()) {
                records[found->second].record.curve.push_back(
                    {static_cast<float>(numberOf(q.value(1))),
                     static_cast<float>(numberOf(q.value(2)))});
            }
        }
    }
    {
        Reader reader(
            library,
            QStringLiteral("SELECT dr.record_id, d.id, d.local_time FROM download_records "
                           "dr JOIN downloads d ON d.id = dr.download_id "
                           "WHERE dr.record_id IN ") +
                selected + QStringLiteral(" ORDER BY dr.record_id, d.downloaded_at, d.id"),
            sql.values);
        QSqlQuery& q = reader.query();
        qlonglong lastRecord = -1;
        qlonglong lastDownload = -1;
        while (q.next()) {
            const qlonglong recordId = q.value(0).toLongLong();
            const qlonglong downloadId = q.value(1).toLongLong();
            if (recordId == lastRecord && downloadId == lastDownload) {
                continue; // the same test in two slots of one download
            }
            lastRecord = recordId;
            lastDownload = downloadId;
            const auto found = indexOf.find(recordId);
            if (found != indexOf.end()) {
                records[found->second].downloads.push_back(q.value(2).toString().toStdString());
            }
        }
    }
    return records;
}

} // namespace varne::library
