#include "link/SerialPortDriver.h"

#include "link/LinkLayer.h"
#include "link/PortHolders.h"
#include "link/SharedState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <utility>
#include <vector>

namespace varne {

namespace {

constexpr std::size_t kHandshakeReplyBytes = 11;
constexpr std::size_t kReportReplyBytes = 5120 + 1; // the requested bytes and a check byte
// However the reply trickles in, a block is closed after this long.
constexpr std::int32_t kLongestBlockMs = 5000;

bool isWindowsPortName(const std::string& name) {
    return name.size() >= 3 && name.compare(0, 3, "COM") == 0;
}

} // namespace

SerialPortDriver::SerialPortDriver(SharedState& shared, LinkLayer& link,
                                   std::function<std::string()> portName, SerialTiming timing)
    : shared_(shared), link_(link), portName_(std::move(portName)), timing_(timing) {}

std::int32_t SerialPortDriver::portNumberOf(const std::string& name) {
    std::size_t at = 0;
    if (isWindowsPortName(name)) {
        at = 3;
        while (at < name.size() && std::isspace(static_cast<unsigned char>(name[at])) != 0) {
            ++at;
        }
    } else {
        at = name.size();
        while (at > 0 && std::isdigit(static_cast<unsigned char>(name[at - 1])) != 0) {
            --at;
        }
    }
    bool negative = false;
    if (at < name.size() && (name[at] == '+' || name[at] == '-')) {
        negative = name[at] == '-';
        ++at;
    }
    std::int64_t number = 0;
    for (; at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])) != 0; ++at) {
        number = std::min<std::int64_t>(number * 10 + (name[at] - '0'), INT32_MAX);
    }
    return static_cast<std::int32_t>(negative ? -number : number);
}

int SerialPortDriver::OpenTesterPort() {
    const std::string name = portName_ ? portName_() : std::string();
    if (name.empty()) {
        openFailure_ = "no tester port is known";
        return 0;
    }
    const std::int32_t number = portNumberOf(name);
    shared_.portNumber = static_cast<std::uint16_t>(number);

    if (!timing_.reopenBeforeEachFrame && comm_.GetPortOpen() && name == openName_) {
        // As a reopen would: what waits from before the request is not its reply.
        comm_.DiscardInput();
        return 1;
    }
    const bool wasOpen = comm_.GetPortOpen();
    if (wasOpen) {
        comm_.SetPortOpen(false);
    }
    // The dialog always waits here; the fast timing only after closing a port.
    if (timing_.reopenBeforeEachFrame || wasOpen) {
        QThread::msleep(static_cast<unsigned long>(timing_.openSettleMs));
    }

    comm_.SetCommPort(static_cast<std::int16_t>(number));
    comm_.SetPortName(QString::fromStdString(name));
    comm_.SetInBufferSize(2048);
    comm_.SetOutBufferSize(512);
    comm_.SetInputMode(1);
    comm_.SetSettings(QStringLiteral("38400,n,8,1"));
    comm_.SetRThreshold(1);
    comm_.SetDTREnable(false);
    comm_.SetRTSEnable(false);
    if (!comm_.SetPortOpen(true)) {
        reportOpenFailure(name);
        // The line went away during this download and has not come back: no request can
        // reach the tester, so its reply is not waited for.
        if (lostDuringDownload_ && shared_.uiPhase == UiPhase::Getting) {
            link_.expireReplyTimer();
        }
        return 0;
    }
    openName_ = name;
    openFailure_.clear();
    lostDuringDownload_ = false;
    return 1;
}

void SerialPortDriver::reportOpenFailure(const std::string& name) {
    if (isWindowsPortName(name)) {
        openFailure_ = name + " is a Windows port name; name the tester's device in the port "
                              "file instead, for example /dev/ttyUSB0";
    } else if (comm_.lastPortError() == QSerialPort::DeviceNotFoundError) {
        openFailure_ = "no such port: " + name;
    } else if (comm_.lastPortError() == QSerialPort::PermissionError) {
        errno = 0;
        if (::access(name.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
            openFailure_ = "permission denied on " + name +
                           ": join the dialout group (sudo usermod -aG dialout $USER) or install "
                           "the udev rule that comes with the program, then log in again or "
                           "replug the tester";
        } else {
            openFailure_ = name + " is in use by another program";
            const std::vector<PortHolder> holders = otherProcessesHolding(name);
            for (std::size_t i = 0; i < holders.size(); ++i) {
                openFailure_ += (i == 0 ? ": " : ", ") + holders[i].name + " (process " +
                                std::to_string(holders[i].pid) + ")";
            }
        }
    } else {
        openFailure_ = "cannot open " + name + ": " + comm_.lastError().toStdString();
    }
}

void SerialPortDriver::SendPayload(std::span<const std::uint8_t> frame) {
    if (frame.size() < 4) {
        return;
    }
    const std::size_t length = frame[2] + 256u * frame[3];
    const auto payload = frame.subspan(4, std::min(length, frame.size() - 4));
    const QByteArray bytes(reinterpret_cast<const char*>(payload.data()),
                           static_cast<qsizetype>(payload.size()));
    if (!comm_.SetOutput(bytes)) {
        std::fprintf(stderr, "%s: cannot write to the port: %s\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(comm_.lastError()));
    }
}

void SerialPortDriver::Close() {
    comm_.SetPortOpen(false);
    openName_.clear();
}

std::size_t SerialPortDriver::expectedReplyBytes() const {
    switch (shared_.sessionState) {
    case SessionState::AwaitingHandshake:
        return kHandshakeReplyBytes;
    case SessionState::AwaitingReport:
        return kReportReplyBytes;
    default:
        return 0;
    }
}

std::int64_t SerialPortDriver::takeReceiveWaitMs() {
    return std::exchange(receiveWaitMs_, 0);
}

void SerialPortDriver::OnCommEvent() {
    // Waiting for input re-raises the receive event; the block being read takes those bytes.
    if (inCommEvent_) {
        return;
    }
    if (comm_.GetCommEvent() == CMSComm::kCommEventLinkLost) {
        testerGone();
        return;
    }
    if (comm_.GetCommEvent() != CMSComm::kCommEventReceive) {
        return;
    }
    if (shared_.uiPhase == UiPhase::ReportReady) {
        return; // the bytes stay waiting until the report has been written
    }
    inCommEvent_ = true;
    const Block block =
        timing_.endBlockWhenComplete ? readBlockUntilComplete() : readBlockFaithfully();
    receiveWaitMs_ += block.arrivingMs;
    inCommEvent_ = false;
    if (!block.bytes.isEmpty()) {
        link_.acceptReceivedBlock(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(block.bytes.constData()),
            static_cast<std::size_t>(block.bytes.size())));
    }
    if (comm_.GetCommEvent() == CMSComm::kCommEventLinkLost) {
        testerGone(); // while the block was read
    }
}

void SerialPortDriver::testerGone() {
    std::fprintf(stderr, "%s: the tester's port %s is gone (unplugged or switched off?)\n",
                 qPrintable(QCoreApplication::applicationName()), openName_.c_str());
    std::fflush(stderr);
    Close();
    if (shared_.uiPhase == UiPhase::Getting) {
        lostDuringDownload_ = true;
        link_.expireReplyTimer();
    }
}

SerialPortDriver::Block SerialPortDriver::readBlockFaithfully() {
    const std::int32_t wait = shared_.sessionState == SessionState::AwaitingHandshake
                                  ? timing_.handshakeWaitMs
                                  : timing_.otherWaitMs;
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = wait; left > 0; left = wait - clock.elapsed()) {
        if (!comm_.waitForInput(static_cast<int>(left)) && !comm_.GetPortOpen()) {
            break;
        }
        if (progress_ && shared_.sessionState == SessionState::AwaitingReport) {
            progress_(static_cast<std::size_t>(comm_.GetInBufferCount()));
        }
    }
    return {comm_.GetInput(), 0};
}

// Gathers until the awaited reply is complete or the line has been quiet for a while, so that
// a pause inside a reply does not cut it in two.
SerialPortDriver::Block SerialPortDriver::readBlockUntilComplete() {
    const std::size_t expected = expectedReplyBytes();
    const bool reportReply = shared_.sessionState == SessionState::AwaitingReport;
    const int quietMs = expected > 0 ? timing_.replyQuietMs : timing_.idleGapMs;
    QElapsedTimer clock;
    clock.start();
    Block block{comm_.GetInput(), 0};
    qint64 lastArrival = 0;
    bool cutShort = false;
    while (expected == 0 || static_cast<std::size_t>(block.bytes.size()) < expected) {
        if (clock.elapsed() >= kLongestBlockMs) {
            cutShort = true;
            break;
        }
        if (progress_ && reportReply) {
            progress_(static_cast<std::size_t>(block.bytes.size()));
        }
        if (!comm_.waitForInput(quietMs)) {
            break;
        }
        block.bytes += comm_.GetInput();
        lastArrival = clock.elapsed();
    }
    if (progress_ && reportReply) {
        progress_(static_cast<std::size_t>(block.bytes.size()));
    }
    // The quiet that ended the block, and a line that never falls quiet, are not a reply
    // arriving: their time counts.
    block.arrivingMs = expected > 0 && !cutShort ? lastArrival : 0;
    return block;
}

} // namespace varne
