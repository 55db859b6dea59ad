#include "link/CheckByte.h"
#include "report/DocxPackage.h"
#include "report/ReportImageBuilder.h"
#include "sim/DemoImage.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;

class RenderWordAndSidecarTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir().mkpath(path("Configure"));
        for (const char* name : {"Varne_Report.docx", "Varne_wordlabel.abl"}) {
            ASSERT_TRUE(QFile::copy(QString(VARNE_SOURCE_ROOT) + "/res/Configure/" + name,
                                    path(QString("Configure/") + name)));
        }
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) const {
        test::writeFile(path(name), bytes);
    }
    void writeImage(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        writeFile(name, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
    }
    QByteArray readFile(const QString& name) const { return test::readFile(path(name)); }

    ProcessResult render(const QStringList& arguments) const {
        return test::runProgram(test::binaryPath("varne"), QStringList{"render"} + arguments,
                                dir_.path());
    }

    std::string documentXml(const QString& docx) const {
        std::string error;
        const auto package = DocxPackage::Load(path(docx).toStdString(), error);
        EXPECT_TRUE(package.has_value()) << error;
        std::string xml;
        if (package) {
            EXPECT_TRUE(package->ReadEntry(package->mainDocumentPart(), xml, error)) << error;
        }
        return xml;
    }

    QTemporaryDir dir_;
};

TEST_F(RenderWordAndSidecarTest, WritesTheWordReportFromTheTemplateAndNeverOpensIt) {
    std::vector<std::uint8_t> payload = demoReportImage();
    payload.push_back(checkByte(payload));
    writeImage("demo.bin", payload);

    const ProcessResult named = render({"--format", "docx", "--output", "out.docx", "demo.bin"});
    ASSERT_EQ(named.exitCode, 0) << named.err.constData();
    const std::string xml = documentXml("out.docx");
    EXPECT_NE(xml.find("Pick Up"), std::string::npos);
    EXPECT_NE(xml.find("Trip time+Pulse length"), std::string::npos);
    EXPECT_NE(xml.find("\xC2\xB0"), std::string::npos) << "the degree sign as U+00B0";

    const ProcessResult stamped = render({"--format", "docx", "demo.bin"});
    ASSERT_EQ(stamped.exitCode, 0) << stamped.err.constData();
    const QStringList reports =
        QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(documentXml("Varne_Report/" + reports[0]), xml);
}

TEST_F(RenderWordAndSidecarTest, AMissingTemplateIsToldAndNothingIsWritten) {
    QFile::remove(path("Configure/Varne_Report.docx"));
    std::vector<std::uint8_t> payload = demoReportImage();
    writeImage("demo.bin", payload);
    const ProcessResult result = render({"--format", "docx", "--output", "out.docx", "demo.bin"});
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_TRUE(result.err.contains("Please close the Varne_Report.doc")) << result.err.constData();
    EXPECT_FALSE(QFile::exists(path("out.docx")));
}

TEST_F(RenderWordAndSidecarTest, TakesTheHandshakeValueFromTheSidecarUnlessGiven) {
    // Nine curve points: the tester's handshake value decides whether three of them show.
    ReportImageBuilder builder;
    const std::vector<std::pair<float, float>> points{{0.1f, 10.f}, {0.2f, 20.f}, {0.3f, 30.f},
                                                      {0.4f, 40.f}, {0.5f, 50.f}, {0.6f, 60.f},
                                                      {0.7f, 70.f}, {0.8f, 80.f}, {0.9f, 90.f}};
    builder.entry(0, {24, 5, 14, 9, 0, 0, 5, 3, 0}).curve(0, points, 9);
    writeImage("curve.bin", builder.replyPayload());
    const QByteArray ninthPoint = "0.900A/90.000V";

    ASSERT_EQ(render({"--output", "default.txt", "curve.bin"}).exitCode, 0);
    EXPECT_TRUE(readFile("default.txt").contains(ninthPoint)) << "7 without a sidecar";

    writeFile("curve.json", R"({"handshake": 6, "port": "/dev/ttyUSB0", "bytes": 5121})");
    ASSERT_EQ(render({"--output", "sidecar.txt", "curve.bin"}).exitCode, 0);
    EXPECT_FALSE(readFile("sidecar.txt").contains(ninthPoint)) << "6 from the sidecar";

    ASSERT_EQ(render({"--handshake", "7", "--output", "given.txt", "curve.bin"}).exitCode, 0);
    EXPECT_TRUE(readFile("given.txt").contains(ninthPoint)) << "--handshake wins";

    writeFile("curve.json", "not json");
    ASSERT_EQ(render({"--output", "broken.txt", "curve.bin"}).exitCode, 0);
    EXPECT_TRUE(readFile("broken.txt").contains(ninthPoint)) << "an unreadable sidecar is ignored";
}

} // namespace
} // namespace varne
