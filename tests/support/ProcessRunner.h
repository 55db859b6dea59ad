#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>

namespace varne::test {

// The path of one of the project's programs in the build tree.
QString binaryPath(const QString& name);

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (killed after `timeoutMs`) in `workingDirectory`.
ProcessResult runProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, int timeoutMs = 60000);
// The same in `environment` instead of the test's own.
ProcessResult runProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const QProcessEnvironment& environment,
                         int timeoutMs = 60000);

// `varne simulate` running in the background for one test: started with `arguments`, its
// device path read from the first line of its output, stopped when this goes out of scope.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& arguments = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Empty when the simulator did not start.
    const QString& devicePath() const { return devicePath_; }
    // Stops the simulator and gives what it logged on standard error.
    QByteArray stopAndTakeLog();

private:
    std::unique_ptr<QProcess> process_;
    QString devicePath_;
};

} // namespace varne::test
