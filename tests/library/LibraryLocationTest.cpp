#include "library/LibraryLocation.h"

#include <gtest/gtest.h>

namespace varne::library {
namespace {

using Engine = LibraryLocation::Engine;

struct UrlCase {
    const char* text;
    const char* host;
    int port;
    const char* user;
    const char* password;
    const char* database;
};

TEST(LibraryLocationTest, ReadsPostgresUrls) {
    const UrlCase cases[] = {
        {"postgresql://db.example/records", "db.example", -1, "", "", "records"},
        {"postgresql://ann@db:6543/lib", "db", 6543, "ann", "", "lib"},
        {"postgres://ann:s%40cr%3At@db/lib", "db", -1, "ann", "s@cr:t", "lib"},
        {"postgresql://a:p:q@db/lib", "db", -1, "a", "p:q", "lib"},
        {"postgresql://[::1]:5433/lib", "::1", 5433, "", "", "lib"},
        {"postgresql://me@/my%20lib?host=%2Frun%2Fpg%20s", "/run/pg s", -1, "me", "", "my lib"},
        {"postgresql:///lib?host=/tmp/x&port=7777&user=u&password=p%26q", "/tmp/x", 7777, "u",
         "p&q", "lib"},
    };
    for (const UrlCase& c : cases) {
        std::string error;
        const auto location = ParseLibraryLocation(c.text, error);
        ASSERT_TRUE(location.has_value()) << c.text << ": " << error;
        EXPECT_EQ(location->engine, Engine::PostgreSQL) << c.text;
        EXPECT_EQ(location->host, c.host) << c.text;
        EXPECT_EQ(location->port, c.port) << c.text;
        EXPECT_EQ(location->user, c.user) << c.text;
        EXPECT_EQ(location->password, c.password) << c.text;
        EXPECT_EQ(location->database, c.database) << c.text;
        EXPECT_EQ(location->describe().find(c.password[0] != '\0' ? c.password : "\x01"),
                  std::string::npos)
            << "never shows the password";
    }
}

TEST(LibraryLocationTest, RefusesMalformedUrls) {
    for (const char* text :
         {"postgresql://db", "postgresql://db/", "postgresql:///lib", "postgresql://db:0/lib",
          "postgresql://db:70000/lib", "postgresql://db:/lib", "postgresql://db:5x/lib",
          "postgresql://db/l%zzib", "postgresql://db/lib%4", "postgresql://[::1/lib",
          "postgresql://db/lib?sslmode=require", "mysql://db/lib", ""}) {
        std::string error;
        EXPECT_FALSE(ParseLibraryLocation(text, error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(LibraryLocationTest, AnythingElseIsAnSQLiteFileAndTheOptionBeatsTheEnvironment) {
    std::string error;
    const auto file = ParseLibraryLocation("/data/team lib.sqlite", error);
    ASSERT_TRUE(file.has_value()) << error;
    EXPECT_EQ(file->engine, Engine::SQLite);
    EXPECT_EQ(file->file, "/data/team lib.sqlite");

    ::setenv(kLibraryEnvironmentVariable, "/env/lib.sqlite", 1);
    EXPECT_EQ(ResolveLibraryLocation(std::string("/opt/x.sqlite"), "/d.sqlite", error)->file,
              "/opt/x.sqlite");
    EXPECT_EQ(ResolveLibraryLocation(std::nullopt, "/d.sqlite", error)->file, "/env/lib.sqlite");
    ::setenv(kLibraryEnvironmentVariable, "postgresql://nohost", 1);
    EXPECT_FALSE(ResolveLibraryLocation(std::nullopt, "/d.sqlite", error).has_value());
    EXPECT_NE(error.find(kLibraryEnvironmentVariable), std::string::npos) << error;
    ::unsetenv(kLibraryEnvironmentVariable);
    EXPECT_EQ(ResolveLibraryLocation(std::nullopt, "/d.sqlite", error)->file, "/d.sqlite");
}

} // namespace
} // namespace varne::library
