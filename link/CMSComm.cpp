#include "link/CMSComm.h"

#include <QStringList>

namespace varne {

CMSComm::CMSComm(QObject* parent) : QObject(parent) {
    port_.setReadBufferSize(0);
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        commEvent_ = kCommEventReceive;
        if (rThreshold_ > 0) {
            emit OnComm();
        }
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &CMSComm::noteError);
}

CMSComm::~CMSComm() = default;

// A vanished device reads as end of file or fails its reads; Qt calls that a read or a
// resource error. Left open, the port would report it again and again.
void CMSComm::noteError(QSerialPort::SerialPortError error) {
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) ||
        !port_.isOpen() || lossPending_) {
        return;
    }
    lossPending_ = true;
    lastError_ = port_.errorString();
    lastPortError_ = error;
    // The port is still inside its read handling here: it is closed once that has returned.
    QMetaObject::invokeMethod(
        this, [this] { closeLostPort(); }, Qt::QueuedConnection);
}

void CMSComm::closeLostPort() {
    if (!lossPending_) {
        return;
    }
    lossPending_ = false;
    port_.close();
    commEvent_ = kCommEventLinkLost;
    emit OnComm();
}

bool CMSComm::fail(const QString& reason) {
    lastError_ = reason;
    return false;
}

bool CMSComm::SetSettings(const QString& settings) {
    const QStringList parts = settings.split(',');
    if (parts.size() != 4) {
        return fail(QStringLiteral("invalid settings \"%1\"").arg(settings));
    }
    bool ok = false;
    const qint32 baud = parts[0].toInt(&ok);
    if (!ok || baud <= 0) {
        return fail(QStringLiteral("invalid baud rate \"%1\"").arg(parts[0]));
    }
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (parts[1].toLower().at(0).toLatin1()) {
    case 'n':
        parity = QSerialPort::NoParity;
        break;
    case 'e':
        parity = QSerialPort::EvenParity;
        break;
    case 'o':
        parity = QSerialPort::OddParity;
        break;
    case 'm':
        parity = QSerialPort::MarkParity;
        break;
    case 's':
        parity = QSerialPort::SpaceParity;
        break;
    default:
        return fail(QStringLiteral("invalid parity \"%1\"").arg(parts[1]));
    }
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    switch (parts[2].toInt()) {
    case 5:
        dataBits = QSerialPort::Data5;
        break;
    case 6:
        dataBits = QSerialPort::Data6;
        break;
    case 7:
        dataBits = QSerialPort::Data7;
        break;
    case 8:
        dataBits = QSerialPort::Data8;
        break;
    default:
        return fail(QStringLiteral("invalid data bits \"%1\"").arg(parts[2]));
    }
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    if (parts[3] == "1") {
        stopBits = QSerialPort::OneStop;
    } else if (parts[3] == "1.5") {
        stopBits = QSerialPort::OneAndHalfStop;
    } else if (parts[3] == "2") {
        stopBits = QSerialPort::TwoStop;
    } else {
        return fail(QStringLiteral("invalid stop bits \"%1\"").arg(parts[3]));
    }
    settings_ = settings;
    baudRate_ = baud;
    parity_ = parity;
    dataBits_ = dataBits;
    stopBits_ = stopBits;
    return !port_.isOpen() || applyLineControl();
}

bool CMSComm::applyLineControl() {
    const bool ok = port_.setBaudRate(baudRate_) && port_.setDataBits(dataBits_) &&
                    port_.setParity(parity_) && port_.setStopBits(stopBits_) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    return ok || fail(port_.errorString());
}

namespace {
// A pseudo-terminal has no modem lines: refusing them is not a failure.
bool modemLineRefusalIsHarmless(QSerialPort& port) {
    if (port.error() == QSerialPort::UnsupportedOperationError) {
        port.clearError();
        return true;
    }
    return false;
}
} // namespace

bool CMSComm::SetDTREnable(bool enable) {
    dtrEnable_ = enable;
    if (port_.isOpen() && !port_.setDataTerminalReady(enable) &&
        !modemLineRefusalIsHarmless(port_)) {
        return fail(port_.errorString());
    }
    return true;
}

bool CMSComm::SetRTSEnable(bool enable) {
    rtsEnable_ = enable;
    if (port_.isOpen() && !port_.setRequestToSend(enable) && !modemLineRefusalIsHarmless(port_)) {
        return fail(port_.errorString());
    }
    return true;
}

bool CMSComm::SetPortOpen(bool open) {
    lossPending_ = false;
    if (!open) {
        if (port_.isOpen()) {
            port_.close();
        }
        return true;
    }
    if (port_.isOpen()) {
        return fail(QStringLiteral("the port is already open"));
    }
    port_.setPortName(portName_);
    port_.setBaudRate(baudRate_);
    port_.setDataBits(dataBits_);
    port_.setParity(parity_);
    port_.setStopBits(stopBits_);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        lastPortError_ = port_.error();
        return fail(port_.errorString());
    }
    lastPortError_ = QSerialPort::NoError;
    commEvent_ = 0;
    return applyLineControl() && SetDTREnable(dtrEnable_) && SetRTSEnable(rtsEnable_);
}

std::int32_t CMSComm::GetInBufferCount() const {
    return port_.isOpen() ? static_cast<std::int32_t>(port_.bytesAvailable()) : 0;
}

QByteArray CMSComm::GetInput() {
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

bool CMSComm::SetOutput(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        return fail(QStringLiteral("the port is not open"));
    }
    if (port_.write(bytes) != bytes.size()) {
        return fail(port_.errorString());
    }
    // The control hands the bytes to the driver before it returns.
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(1000)) {
            return fail(port_.errorString());
        }
    }
    return true;
}

void CMSComm::DiscardInput() {
    if (port_.isOpen()) {
        port_.clear(QSerialPort::Input);
        port_.readAll();
    }
}

bool CMSComm::waitForInput(int msecs) {
    if (!port_.isOpen()) {
        return false;
    }
    const bool arrived = port_.waitForReadyRead(msecs);
    if (lossPending_) {
        closeLostPort();
        return false;
    }
    return arrived;
}

} // namespace varne
