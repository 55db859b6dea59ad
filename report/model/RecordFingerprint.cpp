#include "report/model/RecordFingerprint.h"

#include <QByteArrayView>
#include <QCryptographicHash>

namespace varne {

std::string RecordFingerprint(std::span<const std::uint8_t> identityBytes) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(identityBytes.data(), static_cast<qsizetype>(identityBytes.size())),
        QCryptographicHash::Sha256);
    return digest.toHex().toStdString();
}

} // namespace varne
