#include "LibraryEngines.h"

#include "support/PostgresServer.h"

namespace varne::test {

std::string engineName(const testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(Engine engine, std::ostream* out) {
    *out << (engine == Engine::SQLite ? "SQLite" : "PostgreSQL");
}

void EngineTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    if (GetParam() == Engine::SQLite) {
        url_ = dir_.filePath("library/records.sqlite");
        return;
    }
    VARNE_REQUIRE_POSTGRES();
    url_ = PostgresServer::instance().createDatabase();
}

library::LibraryLocation EngineTest::location() const {
    std::string error;
    const auto parsed = library::ParseLibraryLocation(url_.toStdString(), error);
    EXPECT_TRUE(parsed.has_value()) << error;
    return parsed.value_or(library::LibraryLocation{});
}

} // namespace varne::test
