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

    // The receive event: connected to the control's OnComm by the owner.
    void OnCommEvent();

    // Bytes received so far of the block being read, for a progress display.
    void setProgressCallback(std::function<void(std::size_t)> progress) {
        progress_ = std::move(progress);
    }
    // Why the last open failed, in words (empty after a good open).
    const std::string& openFailureReason() const { return openFailure_; }

    CMSComm& comm() { return comm_; }

    // The port number of a name: for "COMn" names the decimal number from the fourth
    // character on (blanks skipped, optional sign); for device paths the trailing number.
    static std::int32_t portNumberOf(const std::string& name);

private:
    std::size_t expectedReplyBytes() const;
    QByteArray readBlockFaithfully();
    QByteArray readBlockUntilComplete();
    void reportOpenFailure(const std::string& portName);

    SharedState& shared_;
    LinkLayer& link_;
    std::function<std::string()> portName_;
    SerialTiming timing_;
    CMSComm comm_;
    std::string openName_;
    std::string openFailure_;
    std::function<void(std::size_t)> progress_;
    bool inCommEvent_ = false;
};

} // namespace varne
