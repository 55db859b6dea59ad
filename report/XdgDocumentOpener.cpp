#include "report/XdgDocumentOpener.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <iostream>
#include <utility>

namespace varne {

namespace {

constexpr auto kWordDocumentType = "application/vnd.openxmlformats-officedocument."
                                   "wordprocessingml.document";
constexpr int kQueryTimeoutMs = 5000;
constexpr int kOpenTimeoutMs = 10000;

bool someApplicationHandles(const std::string& mimeType) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) {
        return false;
    }
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QString::fromStdString(mimeType)});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        return false;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

XdgDocumentOpener::XdgDocumentOpener() : mimeType_(kWordDocumentType) {}
XdgDocumentOpener::XdgDocumentOpener(std::string mimeType) : mimeType_(std::move(mimeType)) {}
XdgDocumentOpener::~XdgDocumentOpener() = default;

OpenOutcome XdgDocumentOpener::Open(const std::filesystem::path& document) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty() || !someApplicationHandles(mimeType_)) {
        return OpenOutcome::NoApplication;
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(document, ignored);
    process->start(xdgOpen, {QString::fromStdString(absolute.string())});
    if (!process->waitForStarted(kQueryTimeoutMs)) {
        return OpenOutcome::NoApplication;
    }
    if (!process->waitForFinished(kOpenTimeoutMs)) {
        stillRunning_.push_back(std::move(process));
        return OpenOutcome::Opened;
    }
    if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
        std::cerr << "xdg-open " << document.string() << " ended with code " << process->exitCode()
                  << "\n";
        return OpenOutcome::Failed;
    }
    return OpenOutcome::Opened;
}

} // namespace varne
