#pragma once

#include "link/SerialDeviceMap.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varne {

// One tty that the kernel lists under class/tty with a bound driver.
struct SysfsSerialPort {
    std::string ttyName;          // e.g. "ttyUSB0"
    std::string devicePath;       // "/dev/ttyUSB0"
    std::string driver;           // e.g. "cp210x"
    std::string usbVendorProduct; // "10c4:ea60" where known
    std::string usbProduct;       // the product text where known
};

// Linux side of the serial device map. The Windows names of the CP210x bridge drivers all
// resolve to ttys bound to the Linux driver "cp210x"; ttys are taken in sorted name order and
// the first wins. The sysfs root can point at a fake tree for tests.
class SysfsSerialDeviceMap : public SerialDeviceMap {
public:
    explicit SysfsSerialDeviceMap(std::filesystem::path sysfsRoot = "/sys",
                                  std::filesystem::path deviceRoot = "/dev");

    std::optional<std::string> portFor(const std::string& deviceName) override;

    // Every tty with a bound driver, in sorted name order.
    std::vector<SysfsSerialPort> listPorts() const;

    // The Linux driver that serves a Windows bridge device name, or empty for unknown names.
    static std::string linuxDriverFor(const std::string& deviceName);

private:
    std::filesystem::path sysfsRoot_;
    std::filesystem::path deviceRoot_;
};

} // namespace varne
