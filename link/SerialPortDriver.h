#pragma once

#include "link/CMSComm.h"
#include "link/SerialTiming.h"
#include "link/TesterPort.h"

#include <cstddef>
#include <functional>
#include <string>

namespace varne {

class LinkLayer;
struct SharedState;

// Connects the link layer to the tester's serial port: opens it with the tester's line
// settings, writes request payloads, and on the receive event waits for the rest of the reply,
// reads everything waiting and hands it to the link layer as one block.
class SerialPortDriver : public TesterPort {
public:
    // `portName` gives the port to open now (discovery's, else the port file's; empty: none).
    SerialPortDriver(SharedState& shared, LinkLayer& link, std::function<std::string()> portName,
                     SerialTiming timing);

    int OpenTesterPort() override;
    void SendPayload(std::span<const std::uint8_t> frame) override;
    bool IsOpen() const override { return comm_.GetPortOpen(); }
    void Close() override;
    std::string openFailureReason() const override { return openFailure_; }

    // The receive event: connected to the control's OnComm by the owner. Also hears of the
    // device going away: the port is then closed, and a running download fails at the next
    // tick instead of waiting out its reply timer.
    void OnCommEvent();

    // Milliseconds spent since the last call gathering an awaited reply that was arriving.
    // The fast timing keeps them off its reply timer, as the dialog's timer does not run
    // during its receive wait.
    std::int64_t takeReceiveWaitMs();

    // Bytes received so far of the block being read, for a progress display.
    void setProgressCallback(std::function<void(std::size_t)> progress) {
        progress_ = std::move(progress);
    }
    CMSComm& comm() { return comm_; }

    // The port number of a name: for "COMn" names the decimal number from the fourth
    // character on (blanks skipped, optional sign); for device paths the trailing number.
    static std::int32_t portNumberOf(const std::string& name);

private:
    struct Block {
        QByteArray bytes;
        std::int64_t arrivingMs = 0; // how long an awaited reply was seen arriving
    };
    std::size_t expectedReplyBytes() const;
    Block readBlockFaithfully();
    Block readBlockUntilComplete();
    void reportOpenFailure(const std::string& portName);
    void testerGone();

    SharedState& shared_;
    LinkLayer& link_;
    std::function<std::string()> portName_;
    SerialTiming timing_;
    CMSComm comm_;
    std::string openName_;
    std::string openFailure_;
    std::function<void(std::size_t)> progress_;
    std::int64_t receiveWaitMs_ = 0;
    bool inCommEvent_ = false;
    bool lostDuringDownload_ = false; // the port went away while a download ran
};

} // namespace varne
