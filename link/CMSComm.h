#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <cstdint>

namespace varne {

// The serial control the driver was written against, kept property for property over
// QSerialPort. Properties set while the port is closed take effect when it opens. Operations
// that the control would raise an error for return false and leave the reason in lastError().
class CMSComm : public QObject {
    Q_OBJECT

public:
    static constexpr std::int16_t kCommEventReceive = 2;
    // Not one of the control's own events: the device went away under the open port (a USB
    // bridge unplugged shows as end of file or a read error). The port has been closed.
    static constexpr std::int16_t kCommEventLinkLost = 1000;

    explicit CMSComm(QObject* parent = nullptr);
    ~CMSComm() override;

    // A port is named by its device path on Linux (CommPort is then informational).
    void SetPortName(const QString& name) { portName_ = name; }
    QString GetPortName() const { return portName_; }
    void SetCommPort(std::int16_t number) { commPort_ = number; }
    std::int16_t GetCommPort() const { return commPort_; }

    // The control's buffer sizes, kept as numbers: QSerialPort's own read buffer stays
    // unlimited, or a 5121-byte reply would be cut at InBufferSize.
    void SetInBufferSize(std::int16_t size) { inBufferSize_ = size; }
    std::int16_t GetInBufferSize() const { return inBufferSize_; }
    void SetOutBufferSize(std::int16_t size) { outBufferSize_ = size; }
    std::int16_t GetOutBufferSize() const { return outBufferSize_; }
    void SetInputMode(std::int32_t mode) { inputMode_ = mode; }
    std::int32_t GetInputMode() const { return inputMode_; }
    void SetRThreshold(std::int16_t threshold) { rThreshold_ = threshold; }
    std::int16_t GetRThreshold() const { return rThreshold_; }
    // No handshaking and InputLen 0 (a read takes every waiting byte) are the only modes used.
    std::int16_t GetHandshaking() const { return 0; }
    std::int16_t GetInputLen() const { return 0; }

    // "baud,parity,data,stop", e.g. "38400,n,8,1". False for a malformed setting.
    bool SetSettings(const QString& settings);
    QString GetSettings() const { return settings_; }

    bool SetDTREnable(bool enable);
    bool GetDTREnable() const { return dtrEnable_; }
    bool SetRTSEnable(bool enable);
    bool GetRTSEnable() const { return rtsEnable_; }

    bool SetPortOpen(bool open);
    bool GetPortOpen() const { return port_.isOpen(); }

    std::int32_t GetInBufferCount() const;
    QByteArray GetInput();
    bool SetOutput(const QByteArray& bytes);
    std::int16_t GetCommEvent() const { return commEvent_; }

    // Throws away every byte waiting to be read, in the driver and in the system's buffer.
    void DiscardInput();

    // Blocks until more bytes arrive or `msecs` pass, without running other events. False at
    // once when the port is closed, or has just been found gone (then closed).
    bool waitForInput(int msecs);

    // Why the last failed operation failed, in words for the user.
    const QString& lastError() const { return lastError_; }
    QSerialPort::SerialPortError lastPortError() const { return lastPortError_; }

signals:
    // Bytes were received (CommEvent reads kCommEventReceive), or the device went away
    // (kCommEventLinkLost).
    void OnComm();

private:
    bool applyLineControl();
    bool fail(const QString& reason);
    void noteError(QSerialPort::SerialPortError error);
    void closeLostPort();

    QSerialPort port_;
    QString portName_;
    QString settings_ = QStringLiteral("9600,n,8,1");
    qint32 baudRate_ = 9600;
    QSerialPort::Parity parity_ = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
    QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
    std::int16_t commPort_ = 1;
    std::int16_t inBufferSize_ = 1024;
    std::int16_t outBufferSize_ = 512;
    std::int32_t inputMode_ = 0;
    std::int16_t rThreshold_ = 0;
    std::int16_t commEvent_ = 0;
    bool dtrEnable_ = false;
    bool rtsEnable_ = false;
    bool lossPending_ = false; // found gone inside the port's own read; closed right after
    QString lastError_;
    QSerialPort::SerialPortError lastPortError_ = QSerialPort::NoError;
};

} // namespace varne
