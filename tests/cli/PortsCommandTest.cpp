#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;

ProcessResult ports(const QTemporaryDir& dir) {
    return test::runProgram(test::binaryPath("varne"), {"ports"}, dir.path());
}

TEST(PortsCommand, SaysWhatThePortFileHoldsAndWhichPortIsTaken) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const ProcessResult missing = ports(dir);
    EXPECT_TRUE(missing.out.contains("Serial ports:")) << missing.out.constData();
    EXPECT_TRUE(missing.out.contains("Configure/Varne_Com.txt: missing"))
        << missing.out.constData();
    EXPECT_TRUE(missing.out.contains("\\Device\\cyg_ser0 -> a tty bound to cp210x"));

    test::writeFile(dir.filePath("Configure/Varne_Com.txt"), "COMSTART\nCOM4 \nCOMEND\n");
    EXPECT_TRUE(ports(dir).out.contains("Varne_Com.txt: names COM4 ")) << "taken as it stands";

    test::writeFile(dir.filePath("Configure/Varne_Com.txt"), "comstart\n/dev/ttyS9\nCOMEND\n");
    EXPECT_TRUE(ports(dir).out.contains("names no port"));

    test::writeFile(dir.filePath("Configure/Varne_Com.txt"),
                    "COMSTART\r\n/dev/ttyS9\r\nCOMEND\r\n");
    const ProcessResult named = ports(dir);
    EXPECT_EQ(named.exitCode, 0) << named.err.constData();
    EXPECT_TRUE(named.out.contains("Varne_Com.txt: names /dev/ttyS9")) << named.out.constData();
    EXPECT_TRUE(named.out.contains("The tester's port: ")) << named.out.constData();
}

} // namespace
} // namespace varne
