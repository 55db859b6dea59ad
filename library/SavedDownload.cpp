#include "library/SavedDownload.h"

#include "report/RawImageArchive.h"
#include "report/ReportImage.h"
#include "report/model/TestRecordDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace varne::library {

std::optional<std::vector<TestRecord>> TestsOfPayload(std::span<const std::uint8_t> payload,
                                                      std::uint8_t handshake) {
    const ReportImage image(payload);
    if (!image.isComplete()) {
        return std::nullopt;
    }
    return DecodeTestRecords(image, handshake);
}

DownloadInfo DescribeDownload(std::span<const std::uint8_t> payload, const QDateTime& time,
                              const std::string& port, std::uint8_t handshake,
                              const std::string& rawPath) {
    DownloadInfo info;
    // The sidecar keeps whole seconds: so does the download's identity.
    info.time = time.addMSecs(-time.time().msec());
    info.port = port;
    info.handshake = handshake;
    info.byteCount = payload.size();
    info.sha256 = Sha256Hex(payload);
    info.rawPath = rawPath;
    return info;
}

std::optional<SavedDownload> ReadSavedDownload(const std::filesystem::path& file,
                                               std::optional<std::uint8_t> handshake,
                                               std::string& error) {
    const QString path = QString::fromStdString(file.string());
    QFile image(path);
    if (!image.open(QIODevice::ReadOnly)) {
        error = "cannot read " + file.string() + ": " + image.errorString().toStdString();
        return std::nullopt;
    }
    const QByteArray bytes = image.readAll();
    if (image.error() != QFileDevice::NoError) {
        error = "cannot read " + file.string() + ": " + image.errorString().toStdString();
        return std::nullopt;
    }

    QDateTime time = QFileInfo(image).lastModified();
    std::string port;
    std::uint8_t recordedHandshake = 7;
    QFile sidecar(QString::fromStdString(RawImageArchive::sidecarPath(file).string()));
    if (sidecar.open(QIODevice::ReadOnly)) {
        const QJsonObject json = QJsonDocument::fromJson(sidecar.read(64 * 1024)).object();
        const QDateTime recorded =
            QDateTime::fromString(json.value("time").toString(), Qt::ISODate);
        if (recorded.isValid()) {
            time = recorded;
            port = json.value("port").toString().toStdString();
            recordedHandshake = RawImageArchive::handshakeFromSidecar(file).value_or(7);
        }
    }

    SavedDownload saved;
    saved.payload.assign(bytes.begin(), bytes.end());
    saved.info = DescribeDownload(saved.payload, time, port, handshake.value_or(recordedHandshake),
                                  std::filesystem::absolute(file).string());
    return saved;
}

} // namespace varne::library
