#include "cli/ApplicationChoice.h"

#include <QGuiApplication>
#include <array>
#include <cstring>
#include <string_view>

namespace varne::cli {

namespace {

constexpr std::array kPdfCommands{"get", "render", "export"};

char kPlatformOption[] = "-platform";
char kOffscreenPlatform[] = "offscreen";

} // namespace

bool drawsPdf(int argc, const char* const* argv) {
    if (argc < 2) {
        return false;
    }
    bool command = false;
    for (const char* name : kPdfCommands) {
        command = command || std::strcmp(argv[1], name) == 0;
    }
    if (!command) {
        return false;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "--format=pdf" ||
            (argument == "--format" && i + 1 < argc && std::string_view(argv[i + 1]) == "pdf")) {
            return true;
        }
    }
    return false;
}

ApplicationChoice::ApplicationChoice(int argc, char** argv)
    : gui_(drawsPdf(argc, argv)), arguments_(argv, argv + argc) {
    if (gui_) {
        arguments_.insert(arguments_.begin() + 1, {kPlatformOption, kOffscreenPlatform});
    }
    count_ = static_cast<int>(arguments_.size());
    arguments_.push_back(nullptr);
}

std::unique_ptr<QCoreApplication> ApplicationChoice::make() {
    if (gui_) {
        return std::make_unique<QGuiApplication>(count_, arguments_.data());
    }
    return std::make_unique<QCoreApplication>(count_, arguments_.data());
}

} // namespace varne::cli
