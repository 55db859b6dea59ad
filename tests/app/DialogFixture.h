#pragma once

#include "link/SerialDeviceMap.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace varne::test {

// A serial device map whose answer a test switches: the tester "plugged in" or not.
class FakeDeviceMap : public SerialDeviceMap {
public:
    std::optional<std::string> portFor(const std::string& /*deviceName*/) override { return port; }
    std::optional<std::string> port;
};

// Runs each test in a fresh temporary working directory, as the dialog reads its
// configuration from below the working directory.
class TemporaryWorkingDirectory : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& name) const { return dir_.filePath(name); }
    // The shipped label file and Word template, so the dialog starts without complaint.
    void copyShippedConfiguration();
    void writePortFile(const QString& port);

    QTemporaryDir dir_;

private:
    std::filesystem::path previous_;
};

// Runs the event loop until `done` or `timeoutMs` have passed; gives `done()`.
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs);

// The shipped files of res/Configure.
std::filesystem::path shippedConfigureDirectory();

} // namespace varne::test
