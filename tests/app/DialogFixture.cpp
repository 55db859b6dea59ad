#include "app/DialogFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace varne::test {

namespace fs = std::filesystem;

void TemporaryWorkingDirectory::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    previous_ = fs::current_path();
    fs::current_path(QFile::encodeName(dir_.path()).toStdString());
}

void TemporaryWorkingDirectory::TearDown() {
    fs::current_path(previous_);
}

void TemporaryWorkingDirectory::copyShippedConfiguration() {
    QDir().mkpath(path("Configure"));
    for (const char* name : {"Varne_wordlabel.abl", "Varne_Report.docx"}) {
        const fs::path from = shippedConfigureDirectory() / name;
        ASSERT_TRUE(QFile::copy(QString::fromStdString(from.string()),
                                path(QStringLiteral("Configure/") + name)))
            << from;
    }
}

void TemporaryWorkingDirectory::writePortFile(const QString& port) {
    writeFile(path("Configure/Varne_Com.txt"), "COMSTART\n" + port.toLocal8Bit() + "\nCOMEND\n");
}

bool runEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

fs::path shippedConfigureDirectory() {
    return fs::path(VARNE_TEST_SOURCE_DIR) / "res" / "Configure";
}

} // namespace varne::test
