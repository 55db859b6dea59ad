#include "cli/ConsoleButton.h"

#include <cstdio>

namespace varne::cli {

void ConsoleButton::setText(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    if (show_) {
        std::string plain;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&' && i + 1 < text.size()) {
                continue; // the mnemonic marker is not shown
            }
            plain += text[i];
        }
        std::fprintf(stderr, "[%s]\n", plain.c_str());
    }
}

} // namespace varne::cli
