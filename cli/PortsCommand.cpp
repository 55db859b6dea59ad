#include "base/ConfigFiles.h"
#include "base/MessageSink.h"
#include "cli/Command.h"
#include "cli/CommandConfiguration.h"
#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "link/PortDiscovery.h"
#include "link/SysfsSerialDeviceMap.h"

#include <QCommandLineParser>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace varne::cli {

namespace {

namespace fs = std::filesystem;

// /dev/serial/by-id names, by the device they point at.
std::map<std::string, std::string> stableNames(const fs::path& byIdDirectory) {
    std::map<std::string, std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(byIdDirectory, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::canonical(it->path(), linkError);
        if (!linkError) {
            names[target.string()] = it->path().string();
        }
    }
    return names;
}

// Labels the Windows bridge names with what they stand for here.
const char* describeDeviceName(const std::string& name) {
    return SysfsSerialDeviceMap::linuxDriverFor(name).empty() ? "unknown bridge"
                                                              : "a tty bound to cp210x";
}

// The configuration is read for what discovery looks up; what the label file is for (the Word
// report) is no concern of this command.
class QuietMessages : public MessageSink {
public:
    void show(const std::string& /*caption*/, const std::string& /*text*/,
              MessageKind /*kind*/) override {}
};

} // namespace

int runPorts(const QStringList& arguments) {
    const CommandUsage usage("varne ports", "varne ports [options]");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the serial ports this computer has, says which one port discovery picks for the "
        "tester and why, and what the port file Configure/Varne_Com.txt holds.");
    parser.addHelpOption();
    const QCommandLineOption verboseOption(
        "verbose", "Also list the bridge driver names discovery looks up, in order.");
    parser.addOptions({verboseOption, CommandUsage::versionOption()});
    if (const auto done = usage.parse(parser, arguments, CommandUsage::Positional::Refused)) {
        return *done;
    }

    QuietMessages messages;
    const ConfigPaths paths = findCommandConfiguration("varne ports");
    Configuration config;
    ReadConfigFiles(paths, config, messages);

    SysfsSerialDeviceMap deviceMap;
    const auto ports = deviceMap.listPorts();
    const auto byId = stableNames("/dev/serial/by-id");
    std::printf("Serial ports:\n");
    if (ports.empty()) {
        std::printf("  none\n");
    }
    for (const SysfsSerialPort& port : ports) {
        std::printf("  %-14s driver %-12s", port.devicePath.c_str(), port.driver.c_str());
        if (!port.usbVendorProduct.empty()) {
            std::printf(" usb %s %s", port.usbVendorProduct.c_str(), port.usbProduct.c_str());
        }
        std::printf("\n");
        if (auto it = byId.find(port.devicePath); it != byId.end()) {
            std::printf("  %-14s also %s\n", "", it->second.c_str());
        }
    }

    std::printf("\nPort file %s: ", paths.portFilePath.c_str());
    std::error_code ec;
    if (!fs::exists(paths.portFilePath, ec)) {
        std::printf("missing\n");
    } else if (config.m_strFilePort.empty()) {
        std::printf("names no port (it must hold COMSTART, the port, COMEND on three lines)\n");
    } else {
        std::printf("names %s\n", config.m_strFilePort.c_str());
    }

    if (parser.isSet(verboseOption)) {
        std::printf("\nDiscovery looks up, in order:\n");
        for (const std::string& name : config.deviceNames()) {
            if (name.empty()) {
                std::printf("  (empty: set only when the label file was read)\n");
            } else {
                std::printf("  %s -> %s\n", name.c_str(), describeDeviceName(name));
            }
        }
    }

    PortDiscovery discovery(deviceMap);
    if (!discovery.FindTesterPort(config.deviceNames(), config.m_strFilePort)) {
        std::printf("\nNo tester port: no CP210x bridge is plugged in and the port file names "
                    "none.\n");
        return ExitNoTester;
    }
    if (!discovery.registryPort().empty()) {
        std::printf("\nThe tester's port: %s (a CP210x USB bridge)\n",
                    discovery.registryPort().c_str());
    } else {
        std::printf("\nThe tester's port: %s (from the port file; no CP210x bridge is plugged "
                    "in)\n",
                    config.m_strFilePort.c_str());
    }
    return ExitOk;
}

} // namespace varne::cli
