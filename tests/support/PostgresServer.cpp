#include "support/PostgresServer.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace varne::test {

namespace fs = std::filesystem;

namespace {

// The newest server's binaries: /usr/lib/postgresql/<version>/bin, not on PATH.
std::string serverBinDirectory() {
    std::string best;
    int bestVersion = -1;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = entry.path() / "bin";
        if (!fs::exists(bin / "initdb") || !fs::exists(bin / "pg_ctl")) {
            continue;
        }
        const int version = std::atoi(entry.path().filename().c_str());
        if (version > bestVersion) {
            bestVersion = version;
            best = bin.string();
        }
    }
    return best;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// As root the server must run as the postgres user: the command is prefixed to do so.
std::string asServerUser(const std::string& command) {
    if (::geteuid() != 0) {
        return command;
    }
    return "runuser -u postgres -- " + command;
}

bool runShell(const std::string& command, std::string& problem) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("/bin/sh", {"-c", QString::fromStdString(command)});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        problem = command + " failed: " + process.readAll().toStdString();
        return false;
    }
    return true;
}

} // namespace

PostgresServer& PostgresServer::instance() {
    static PostgresServer* server = [] {
        auto* created = new PostgresServer;
        testing::AddGlobalTestEnvironment(created); // gtest owns it from here
        return created;
    }();
    return *server;
}

bool PostgresServer::ensureStarted(std::string& problem) {
    if (!started_ && !failed_) {
        failed_ = !start(failure_);
        started_ = !failed_;
    }
    problem = failure_;
    return started_;
}

bool PostgresServer::start(std::string& problem) {
    const std::string bin = serverBinDirectory();
    if (bin.empty()) {
        problem = "no /usr/lib/postgresql/<version>/bin/initdb (scripts/deps installs postgresql)";
        return false;
    }
    char pattern[] = "/tmp/varne-pg-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        problem = "cannot make a temporary directory";
        return false;
    }
    dir_ = pattern;
    socketDir_ = dir_ + "/socket";
    fs::create_directories(socketDir_);
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam("postgres");
        if (user == nullptr) {
            problem = "no postgres user to run the server as";
            return false;
        }
        for (const std::string& path : {dir_, socketDir_}) {
            if (::chown(path.c_str(), user->pw_uid, user->pw_gid) != 0) {
                problem = "cannot hand " + path + " to the postgres user";
                return false;
            }
        }
    }
    const std::string data = dir_ + "/data";
    if (!runShell(asServerUser(shellQuote(bin + "/initdb") + " -D " + shellQuote(data) +
                               " -U postgres -A trust -E UTF8 --locale=C --no-sync"),
                  problem)) {
        return false;
    }
    {
        std::ofstream conf(data + "/postgresql.conf", std::ios::app);
        conf << "listen_addresses = ''\n"
             << "unix_socket_directories = '" << socketDir_ << "'\n"
             << "fsync = off\nfull_page_writes = off\nsynchronous_commit = off\n";
        std::ofstream hba(data + "/pg_hba.conf", std::ios::trunc);
        hba << "local all " << kPasswordUser << " scram-sha-256\n"
            << "local all all trust\n";
    }

    // The watchdog stops the server when this program ends, however it ends: it waits for the
    // end of a pipe whose writing side only this program holds.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        problem = "cannot make a pipe";
        return false;
    }
    const std::string stop = asServerUser(shellQuote(bin + "/pg_ctl") + " -D " + shellQuote(data) +
                                          " -m immediate stop") +
                             " >/dev/null 2>&1; rm -rf " + shellQuote(dir_);
    const std::string script = "cat >/dev/null; " + stop;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[0], STDIN_FILENO);
        ::setsid(); // a signal to the test's process group leaves it running
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[0]);
    if (pid < 0) {
        ::close(fds[1]);
        problem = "cannot start the watchdog";
        return false;
    }
    watchdogPid_ = pid;
    watchdogPipe_ = fds[1];

    if (!runShell(asServerUser(shellQuote(bin + "/pg_ctl") + " -D " + shellQuote(data) + " -l " +
                               shellQuote(dir_ + "/server.log") + " -w -t 60 start"),
                  problem)) {
        std::ifstream log(dir_ + "/server.log");
        problem += std::string(std::istreambuf_iterator<char>(log), {});
        return false;
    }
    return runSql(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'")
                      .arg(QLatin1String(kPasswordUser), QLatin1String(kPassword)),
                  problem);
}

bool PostgresServer::runSql(const QString& sql, std::string& problem) {
    const QString name = QStringLiteral("varne-test-admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(QString::fromStdString(socketDir_));
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setUserName(QStringLiteral("postgres"));
        if (!db.open()) {
            problem = "cannot connect: " + db.lastError().text().toStdString();
        } else {
            QSqlQuery query(db);
            ok = query.exec(sql);
            if (!ok) {
                problem = sql.toStdString() + ": " + query.lastError().text().toStdString();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString PostgresServer::url(const QString& user, const QString& password,
                            const QString& database) const {
    QString userInfo = QString::fromLatin1(QUrl::toPercentEncoding(user));
    if (!password.isEmpty()) {
        userInfo += ':' + QString::fromLatin1(QUrl::toPercentEncoding(password));
    }
    return QStringLiteral("postgresql://%1@/%2?host=%3")
        .arg(userInfo, database,
             QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(socketDir_))));
}

QString PostgresServer::createDatabase() {
    const QString name = QStringLiteral("varne_test_%1").arg(++databases_);
    std::string problem;
    EXPECT_TRUE(runSql("CREATE DATABASE " + name, problem)) << problem;
    return url(QStringLiteral("postgres"), {}, name);
}

void PostgresServer::TearDown() {
    if (watchdogPipe_ >= 0) {
        ::close(watchdogPipe_);
        watchdogPipe_ = -1;
        int status = 0;
        ::waitpid(watchdogPid_, &status, 0);
        watchdogPid_ = -1;
    }
    started_ = false;
}

} // namespace varne::test
