#include "link/SysfsSerialDeviceMap.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

namespace varne {

namespace fs = std::filesystem;

namespace {

constexpr std::array kCp210xDeviceNames{"\\Device\\cyg_ser0", "\\Device\\slabser0",
                                        "\\Device\\Silabser0"};

std::string firstLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Walks up from the tty's device towards the USB device that carries idVendor/idProduct.
void readUsbIdentity(const fs::path& deviceLink, SysfsSerialPort& port) {
    std::error_code ec;
    fs::path dir = fs::canonical(deviceLink, ec);
    if (ec) {
        return;
    }
    for (int depth = 0; depth < 6 && !dir.empty() && dir != dir.root_path(); ++depth) {
        if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec)) {
            port.usbVendorProduct =
                firstLineOf(dir / "idVendor") + ":" + firstLineOf(dir / "idProduct");
            port.usbProduct = firstLineOf(dir / "product");
            return;
        }
        dir = dir.parent_path();
    }
}

} // namespace

SysfsSerialDeviceMap::SysfsSerialDeviceMap(fs::path sysfsRoot, fs::path deviceRoot)
    : sysfsRoot_(std::move(sysfsRoot)), deviceRoot_(std::move(deviceRoot)) {}

std::string SysfsSerialDeviceMap::linuxDriverFor(const std::string& deviceName) {
    const bool known = std::find(kCp210xDeviceNames.begin(), kCp210xDeviceNames.end(),
                                 deviceName) != kCp210xDeviceNames.end();
    return known ? "cp210x" : "";
}

std::vector<SysfsSerialPort> SysfsSerialDeviceMap::listPorts() const {
    std::vector<SysfsSerialPort> ports;
    std::error_code ec;
    const fs::path classDir = sysfsRoot_ / "class" / "tty";
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path ttyDir = it->path();
        const fs::path driverLink = ttyDir / "device" / "driver";
        std::error_code linkError;
        const fs::path driverTarget = fs::read_symlink(driverLink, linkError);
        if (linkError) {
            continue; // virtual consoles and pseudo-terminals have no bound driver
        }
        SysfsSerialPort port;
        port.ttyName = ttyDir.filename().string();
        port.devicePath = (deviceRoot_ / port.ttyName).string();
        port.driver = driverTarget.filename().string();
        readUsbIdentity(ttyDir / "device", port);
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.ttyName < b.ttyName; });
    return ports;
}

std::optional<std::string> SysfsSerialDeviceMap::portFor(const std::string& deviceName) {
    const std::string driver = linuxDriverFor(deviceName);
    if (driver.empty()) {
        return std::nullopt;
    }
    for (const SysfsSerialPort& port : listPorts()) {
        if (port.driver == driver) {
            return port.devicePath;
        }
    }
    return std::nullopt;
}

} // namespace varne
