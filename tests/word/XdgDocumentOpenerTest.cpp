#include "report/XdgDocumentOpener.h"

#include "DocxFiles.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;

// Runs the opener with PATH holding only the given stand-ins for xdg-mime and xdg-open.
class XdgDocumentOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", directory_.path().c_str(), 1);
    }
    void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

    void script(const std::string& name, const std::string& body) const {
        const auto path = directory_.path() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
    }

    std::string openedArgument() const {
        std::ifstream in(directory_.path() / "opened");
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::TemporaryDirectory directory_;
    std::string savedPath_;
};

TEST_F(XdgDocumentOpenerTest, AsksForAnApplicationThenOpensAndTellsHowItWent) {
    struct Case {
        std::string xdgMime; // empty: not installed
        std::string xdgOpen;
        OpenOutcome outcome;
    };
    // Only shell built-ins: PATH holds nothing else.
    const std::string records =
        "printf '%s' \"$1\" > '" + (directory_.path() / "opened").string() + "'; ";
    const std::vector<Case> cases = {
        {"", "", OpenOutcome::NoApplication},
        {"exit 0", records + "exit 0", OpenOutcome::NoApplication},
        {"echo libreoffice-writer.desktop", "", OpenOutcome::NoApplication},
        {"echo libreoffice-writer.desktop", records + "exit 0", OpenOutcome::Opened},
        {"echo libreoffice-writer.desktop", records + "exit 4", OpenOutcome::Failed},
    };
    const fs::path document = directory_.path() / "My Report.docx";
    for (const auto& c : cases) {
        fs::remove(directory_.path() / "xdg-mime");
        fs::remove(directory_.path() / "xdg-open");
        fs::remove(directory_.path() / "opened");
        if (!c.xdgMime.empty()) {
            script("xdg-mime", c.xdgMime);
        }
        if (!c.xdgOpen.empty()) {
            script("xdg-open", c.xdgOpen);
        }
        XdgDocumentOpener opener;
        EXPECT_EQ(opener.Open(document), c.outcome) << c.xdgMime << " / " << c.xdgOpen;
        if (c.outcome != OpenOutcome::NoApplication) {
            EXPECT_EQ(openedArgument(), document.string());
        }
    }
}

} // namespace
} // namespace varne
