#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;

ProcessResult ports(const QTemporaryDir& dir, const QStringList& options = {}) {
    return test::runProgram(test::binaryPath("varne"), QStringList{"ports"} + options, dir.path());
}

TEST(PortsCommand, SaysWhatThePortFileHoldsAndWhichPortIsTaken) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const ProcessResult missing = ports(dir);
    EXPECT_TRUE(missing.out.contains("Serial ports:")) << missing.out.constData();
    EXPECT_TRUE(missing.out.contains("Configure/Varne_Com.txt: missing"))
        << missing.out.constData();
    // The Windows names discovery looks up, only when asked for.
    EXPECT_FALSE(missing.out.contains("\\Device\\")) << missing.out.constData();
    EXPECT_TRUE(ports(dir, {"--verbose"})
                    .out.contains("\\Device\\cyg_ser0 -> a tty bound to cp210x"));

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
    // The label file is the Word report's business, not this command's.
    EXPECT_FALSE(named.out.contains("\\Device\\")) << named.out.constData();
    EXPECT_FALSE(named.err.contains("Varne_wordlabel.abl")) << named.err.constData();
}

} // namespace
} // namespace varne
