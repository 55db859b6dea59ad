#pragma once

#include "library/SqlDialect.h"

#include <QStringList>
#include <vector>

namespace varne::library {

// The schema version this program writes and reads.
inline constexpr int kSchemaVersion = 1;

// The name of the table that holds the schema version: a database without it holds no
// record library.
inline constexpr const char* kSchemaVersionTable = "schema_version";

// The statements that take a library from version N to N + 1, for N = 0 (an empty
// database) up to kSchemaVersion - 1. Each step ends by recording its new version.
std::vector<QStringList> SchemaMigrations(const SqlDialect& dialect);

} // namespace varne::library
