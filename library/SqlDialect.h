#pragma once

#include "library/LibraryLocation.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace varne::library {

// Everything that differs between the two engines, in one place. The schema and every query
// are otherwise the same portable SQL for both.
class SqlDialect {
public:
    explicit SqlDialect(LibraryLocation::Engine engine) : engine_(engine) {}

    LibraryLocation::Engine engine() const { return engine_; }
    // The Qt SQL driver.
    QString driverName() const;
    // Host, port, names and options of a new connection: connections give up after 5 s.
    void configure(QSqlDatabase& db, const LibraryLocation& location) const;
    // Statements run once on each opened connection (never writing anything).
    QStringList sessionSetup() const;
    // Statements that make a new database ready for concurrent writers (run once, outside a
    // transaction, by a writer that found a library of the current schema).
    QStringList writerSetup() const;
    // The names of the tables in the database (its current schema).
    QString tableNamesQuery() const;
    // The type of a table's own key, numbered by the engine.
    QString idColumnType() const;
    // Starts a transaction that writes: SQLite takes the write lock at once (waiting at most
    // the busy timeout), so two writers never deadlock upgrading a read lock.
    QString beginWrite() const;
    // Starts a transaction that creates or migrates the schema, one writer at a time.
    QStringList beginSchemaChange() const;

private:
    LibraryLocation::Engine engine_;
};

} // namespace varne::library
