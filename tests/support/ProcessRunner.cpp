#include "support/ProcessRunner.h"

#include <QProcessEnvironment>

namespace varne::test {

QString binaryPath(const QString& name) {
    return qEnvironmentVariable("VARNE_BIN_DIR", VARNE_BUILD_BIN_DIR) + "/" + name;
}

ProcessResult runProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, int timeoutMs) {
    return runProgram(program, arguments, workingDirectory,
                      QProcessEnvironment::systemEnvironment(), timeoutMs);
}

ProcessResult runProgram(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const QProcessEnvironment& environment,
                         int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000)) {
        result.err = "could not start " + program.toLocal8Bit();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.err = "timed out: ";
    }
    result.out = process.readAllStandardOutput();
    result.err += process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

SimulatorProcess::SimulatorProcess(const QStringList& arguments)
    : process_(std::make_unique<QProcess>()) {
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->start(binaryPath("varne"), QStringList{"simulate"} + arguments);
    if (!process_->waitForStarted(10000)) {
        return;
    }
    while (!process_->canReadLine() && process_->waitForReadyRead(10000)) {
    }
    if (process_->canReadLine()) {
        devicePath_ = QString::fromLocal8Bit(process_->readLine()).trimmed();
    }
}

SimulatorProcess::~SimulatorProcess() {
    stopAndTakeLog();
}

QByteArray SimulatorProcess::stopAndTakeLog() {
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
    return process_->readAllStandardError();
}

} // namespace varne::test
