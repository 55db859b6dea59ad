// Download time of `varne get` from the paced simulator, as a ratio to the time the bytes of the
// exchange need on the wire at 38400 baud. The whole command is timed: start-up, discovery,
// both requests and replies, and writing the report.

#include "base/CNumberConventions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Two 25-byte requests, the 11-byte handshake reply and the 5121-byte report reply.
constexpr double kBytesExchanged = 25 + 11 + 25 + 5121;
constexpr double kWireSeconds = kBytesExchanged * 10 / 38400;
constexpr int kRuns = 5;

QString program(const char* name) {
    return QCoreApplication::applicationDirPath() + "/" + name;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    varne::KeepCNumberConventions();
    QProcess simulator;
    simulator.start(program("varne"), {"simulate"});
    if (!simulator.waitForStarted() || !simulator.waitForReadyRead(10000)) {
        std::fprintf(stderr, "download_bench: the simulator did not start\n");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();

    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir dir;
        QProcess get;
        get.setWorkingDirectory(dir.path());
        QElapsedTimer clock;
        clock.start();
        get.start(program("varne"), {"get", "--port", device});
        get.waitForFinished(30000);
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (get.exitStatus() != QProcess::NormalExit || get.exitCode() != 0) {
            std::fprintf(stderr, "download_bench: run %d failed (exit %d): %s\n", run + 1,
                         get.exitCode(), get.readAllStandardError().constData());
            return 1;
        }
        seconds.push_back(elapsed);
        std::printf("run %d: %.3f s (%.3fx wire time)\n", run + 1, elapsed, elapsed / kWireSeconds);
    }
    simulator.terminate();
    simulator.waitForFinished();

    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("wire time of %.0f bytes at 38400 baud: %.3f s\n", kBytesExchanged, kWireSeconds);
    std::printf("download time (median of %d): %.3f s = %.3fx wire time (target 1.10x)\n", kRuns,
                median, median / kWireSeconds);
    return 0;
}
