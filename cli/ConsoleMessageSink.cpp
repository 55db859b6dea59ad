#include "cli/ConsoleMessageSink.h"

#include <cstdio>

namespace varne::cli {

void ConsoleMessageSink::show(const std::string& caption, const std::string& text,
                              MessageKind kind) {
    std::FILE* out = kind == MessageKind::Information ? stdout : stderr;
    if (caption.empty()) {
        std::fprintf(out, "%s\n", text.c_str());
    } else {
        std::fprintf(out, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::fflush(out);
}

} // namespace varne::cli
