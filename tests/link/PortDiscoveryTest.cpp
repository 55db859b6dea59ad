#include "link/PortDiscovery.h"

#include "link/SysfsSerialDeviceMap.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

namespace varne {
namespace {

namespace fs = std::filesystem;

const std::array<std::string, 3> kAllNames{"\\Device\\cyg_ser0", "\\Device\\slabser0",
                                           "\\Device\\Silabser0"};

// A fake sysfs tree: class/tty/<tty>/device -> a device dir whose driver link names the driver,
// under a USB device dir that carries idVendor/idProduct/product.
class FakeSysfs {
public:
    FakeSysfs()
        : root_(fs::temp_directory_path() /
                ("varne-sysfs-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++))) {
        fs::create_directories(root_ / "class" / "tty");
        fs::create_directories(root_ / "bus" / "usb-serial" / "drivers");
    }
    ~FakeSysfs() { fs::remove_all(root_); }

    void addTty(const std::string& tty, const std::string& driver, bool usb = true) {
        const fs::path usbDevice = root_ / "devices" / ("usb-" + tty);
        const fs::path port = usbDevice / "1-1:1.0" / tty;
        fs::create_directories(port);
        const fs::path driverDir = root_ / "bus" / "usb-serial" / "drivers" / driver;
        fs::create_directories(driverDir);
        fs::create_directory_symlink(driverDir, port / "driver");
        if (usb) {
            write(usbDevice / "idVendor", "10c4");
            write(usbDevice / "idProduct", "ea60");
            write(usbDevice / "product", "CP2102 USB to UART Bridge Controller");
        }
        fs::create_directories(root_ / "class" / "tty" / tty);
        fs::create_directory_symlink(port, root_ / "class" / "tty" / tty / "device");
    }
    void addVirtualTty(const std::string& tty) {
        fs::create_directories(root_ / "class" / "tty" / tty);
    }

    const fs::path& root() const { return root_; }

private:
    static void write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text << '\n';
    }
    static inline int counter_ = 0;
    fs::path root_;
};

class FakeDeviceMap : public SerialDeviceMap {
public:
    std::map<std::string, std::string> entries;
    std::vector<std::string> asked;
    std::optional<std::string> portFor(const std::string& deviceName) override {
        asked.push_back(deviceName);
        auto it = entries.find(deviceName);
        return it == entries.end() ? std::nullopt : std::optional(it->second);
    }
};

TEST(PortDiscovery, FirstDeviceNameFoundWinsAndLaterNamesAreNotAsked) {
    FakeDeviceMap map;
    map.entries = {{kAllNames[1], "/dev/ttyUSB5"}, {kAllNames[2], "/dev/ttyUSB7"}};
    PortDiscovery discovery(map);
    EXPECT_TRUE(discovery.FindTesterPort(kAllNames, "/dev/ttyS9"));
    EXPECT_EQ(discovery.registryPort(), "/dev/ttyUSB5");
    EXPECT_EQ(discovery.chosenPort("/dev/ttyS9"), "/dev/ttyUSB5");
    EXPECT_EQ(map.asked, (std::vector<std::string>{kAllNames[0], kAllNames[1]}));
}

TEST(PortDiscovery, FallsBackToThePortFileThenToNothing) {
    FakeDeviceMap map;
    PortDiscovery discovery(map);
    EXPECT_TRUE(discovery.FindTesterPort(kAllNames, "/dev/ttyS9"));
    EXPECT_EQ(discovery.registryPort(), "");
    EXPECT_EQ(discovery.chosenPort("/dev/ttyS9"), "/dev/ttyS9");

    EXPECT_FALSE(discovery.FindTesterPort(kAllNames, ""));
    EXPECT_EQ(discovery.chosenPort(""), "");
}

TEST(PortDiscovery, EmptyDeviceNamesFindNothingAndAResultIsForgottenWhenUnplugged) {
    FakeDeviceMap map;
    map.entries = {{kAllNames[2], "/dev/ttyUSB7"}};
    PortDiscovery discovery(map);
    EXPECT_FALSE(discovery.FindTesterPort({kAllNames[0], "", ""}, ""));
    EXPECT_TRUE(discovery.FindTesterPort(kAllNames, ""));
    EXPECT_EQ(discovery.registryPort(), "/dev/ttyUSB7");
    map.entries.clear();
    EXPECT_FALSE(discovery.FindTesterPort(kAllNames, ""));
    EXPECT_EQ(discovery.registryPort(), "");
}

TEST(SysfsSerialDeviceMap, ResolvesEveryBridgeNameToTheFirstCp210xTtyInSortedOrder) {
    FakeSysfs sysfs;
    sysfs.addTty("ttyUSB1", "cp210x");
    sysfs.addTty("ttyACM0", "cdc_acm");
    sysfs.addTty("ttyUSB0", "cp210x");
    sysfs.addVirtualTty("tty1");
    SysfsSerialDeviceMap map(sysfs.root(), "/dev");
    for (const std::string& name : kAllNames) {
        EXPECT_EQ(map.portFor(name), std::optional<std::string>("/dev/ttyUSB0")) << name;
    }
    EXPECT_EQ(map.portFor("\\Device\\Serial0"), std::nullopt);
    EXPECT_EQ(map.portFor(""), std::nullopt);
}

TEST(SysfsSerialDeviceMap, FindsNothingWithoutACp210xTty) {
    FakeSysfs sysfs;
    sysfs.addTty("ttyACM0", "cdc_acm");
    SysfsSerialDeviceMap map(sysfs.root(), "/dev");
    EXPECT_EQ(map.portFor(kAllNames[0]), std::nullopt);

    SysfsSerialDeviceMap missingRoot(sysfs.root() / "nowhere", "/dev");
    EXPECT_EQ(missingRoot.portFor(kAllNames[0]), std::nullopt);
}

TEST(SysfsSerialDeviceMap, ListsPortsWithDriverAndUsbIdentity) {
    FakeSysfs sysfs;
    sysfs.addTty("ttyUSB0", "cp210x");
    sysfs.addTty("ttyS0", "serial8250", false);
    sysfs.addVirtualTty("tty0");
    SysfsSerialDeviceMap map(sysfs.root(), "/dev");
    const auto ports = map.listPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].ttyName, "ttyS0");
    EXPECT_EQ(ports[0].driver, "serial8250");
    EXPECT_EQ(ports[0].usbVendorProduct, "");
    EXPECT_EQ(ports[1].devicePath, "/dev/ttyUSB0");
    EXPECT_EQ(ports[1].driver, "cp210x");
    EXPECT_EQ(ports[1].usbVendorProduct, "10c4:ea60");
    EXPECT_EQ(ports[1].usbProduct, "CP2102 USB to UART Bridge Controller");
}

} // namespace
} // namespace varne
