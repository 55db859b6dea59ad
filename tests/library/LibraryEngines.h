#pragma once

#include "library/LibraryLocation.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace varne::test {

// The engine a library test runs against; each test gets a new, empty library.
enum class Engine { SQLite, PostgreSQL };

std::string engineName(const testing::TestParamInfo<Engine>& info);
void PrintTo(Engine engine, std::ostream* out);

// A fixture over both engines: an empty library location (an SQLite file in a temporary
// directory, or a new database on the program's throwaway PostgreSQL server).
class EngineTest : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override;

    // The new library's location, as --library and VARNE_LIBRARY take it.
    const QString& libraryUrl() const { return url_; }
    library::LibraryLocation location() const;
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString url_;
};

} // namespace varne::test
