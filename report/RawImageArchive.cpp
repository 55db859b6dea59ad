#include "report/RawImageArchive.h"

#include "report/AtomicFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace varne {

namespace fs = std::filesystem;

namespace {

// Claims `path` by creating it exclusively, so that two downloads never share a name.
bool claim(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace

std::string downloadTimeText(const QDateTime& localTime) {
    if (!localTime.isValid()) {
        return "unknown";
    }
    std::string text = localTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    const int offset = localTime.offsetFromUtc();
    text += " UTC";
    if (offset != 0) {
        const int minutes = (offset < 0 ? -offset : offset) / 60;
        const QString zone = QStringLiteral("%1%2:%3")
                                 .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                                 .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                                 .arg(minutes % 60, 2, 10, QLatin1Char('0'));
        text += zone.toStdString();
    }
    return text;
}

fs::path RawImageArchive::sidecarPath(const fs::path& imagePath) {
    fs::path sidecar = imagePath;
    sidecar.replace_extension(".json");
    return sidecar;
}

std::optional<fs::path> RawImageArchive::store(std::span<const std::uint8_t> payload,
                                               const RawImageRecord& record, std::string& error) {
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (ec) {
        error = "cannot create " + directory_.string() + ": " + ec.message();
        return std::nullopt;
    }
    const std::string stamp = record.localTime.toString("yyyyMMdd_HHmmss").toStdString();
    fs::path imagePath;
    for (int n = 1;; ++n) {
        const std::string suffix = n == 1 ? "" : "_" + std::to_string(n);
        imagePath = directory_ / (stamp + suffix + ".bin");
        std::error_code searchError;
        const bool sidecarTaken = fs::exists(sidecarPath(imagePath), searchError);
        if (searchError) {
            error = "cannot search " + directory_.string() + ": " + searchError.message();
            return std::nullopt;
        }
        if (sidecarTaken) {
            continue;
        }
        if (claim(imagePath)) {
            break;
        }
        if (errno != EEXIST || n >= 10000) {
            error = "cannot create " + imagePath.string() + ": " + std::strerror(errno);
            return std::nullopt;
        }
    }

    const std::span<const char> bytes(reinterpret_cast<const char*>(payload.data()),
                                      payload.size());
    if (!writeFileAtomically(imagePath, bytes, error)) {
        fs::remove(imagePath, ec);
        return std::nullopt;
    }

    QJsonObject json;
    json["handshake"] = record.handshakeValue;
    json["port"] = QString::fromStdString(record.port);
    json["time"] =
        record.localTime.toOffsetFromUtc(record.localTime.offsetFromUtc()).toString(Qt::ISODate);
    json["bytes"] = static_cast<qint64>(payload.size());
    json["sha256"] = QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256)
            .toHex());
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Indented);
    if (!writeFileAtomically(
            sidecarPath(imagePath),
            std::span<const char>(text.constData(), static_cast<std::size_t>(text.size())),
            error)) {
        return std::nullopt; // the image itself is kept
    }
    return imagePath;
}

std::optional<std::uint8_t> RawImageArchive::handshakeFromSidecar(const fs::path& imagePath) {
    const auto record = recordFromSidecar(imagePath);
    return record ? std::optional<std::uint8_t>(record->handshakeValue) : std::nullopt;
}

std::optional<RawImageRecord> RawImageArchive::recordFromSidecar(const fs::path& imagePath) {
    QFile file(QString::fromStdString(sidecarPath(imagePath).string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonObject json = QJsonDocument::fromJson(file.read(64 * 1024)).object();
    const QJsonValue value = json.value("handshake");
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (number < -128 || number > 255 || number != static_cast<int>(number)) {
        return std::nullopt;
    }
    RawImageRecord record;
    record.handshakeValue = static_cast<std::uint8_t>(static_cast<int>(number) & 0xFF);
    record.port = json.value("port").toString().toStdString();
    record.localTime = QDateTime::fromString(json.value("time").toString(), Qt::ISODate);
    return record;
}

} // namespace varne
