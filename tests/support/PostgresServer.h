#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <string>

namespace varne::test {

// A throwaway PostgreSQL server for one test program: Debian's server binaries
// (/usr/lib/postgresql/<version>/bin), a data directory and Unix socket in a temporary
// directory (owned by the postgres user when the tests run as root), no TCP listener. Started
// on first use, stopped when the program ends: by TearDown, or by a watchdog process when the
// program dies without it.
class PostgresServer : public testing::Environment {
public:
    // The program's server; registered as a global environment on first call.
    static PostgresServer& instance();

    // Starts the server if it is not running. False with `problem` set when it cannot run:
    // the caller skips, or fails when CI is set.
    bool ensureStarted(std::string& problem);

    // A new empty database, as a library URL for the superuser over the socket.
    QString createDatabase();
    // A URL of this server with the given user, password and database.
    QString url(const QString& user, const QString& password, const QString& database) const;
    // A role that logs in with a password (password authentication applies to it).
    static constexpr const char* kPasswordUser = "varne_pw";
    static constexpr const char* kPassword = "right horse";

    void TearDown() override;

private:
    PostgresServer() = default;
    bool start(std::string& problem);
    bool runSql(const QString& sql, std::string& problem);

    bool started_ = false;
    bool failed_ = false;
    std::string failure_;
    std::string dir_;
    std::string socketDir_;
    int watchdogPid_ = -1;
    int watchdogPipe_ = -1;
    int databases_ = 0;
};

// Skips the running test (or fails it when CI is set) unless the program's server runs.
#define VARNE_REQUIRE_POSTGRES()                                                                   \
    do {                                                                                           \
        std::string postgresProblem_;                                                              \
        if (!::varne::test::PostgresServer::instance().ensureStarted(postgresProblem_)) {          \
            if (std::getenv("CI") != nullptr) {                                                    \
                FAIL() << "PostgreSQL is needed in CI: " << postgresProblem_;                      \
            }                                                                                      \
            GTEST_SKIP() << "no PostgreSQL server: " << postgresProblem_;                          \
        }                                                                                          \
    } while (false)

} // namespace varne::test
