// Any bytes as a port file and as a label file.

#include "FuzzSupport.h"
#include "base/ConfigFiles.h"

#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varne;
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::istringstream portFile(text);
    const std::string port = ParsePortFile(portFile);
    // The port name is line 2 of the file: never longer than the file, never spanning lines.
    VARNE_FUZZ_CHECK(port.size() <= size);
    VARNE_FUZZ_CHECK(port.find('\n') == std::string::npos);

    std::istringstream labelFile(text);
    LabelEntries labels;
    const std::size_t dropped = ParseLabelFile(labelFile, labels);
    std::size_t total = 0;
    for (const auto& label : labels) {
        total += label.size();
    }
    VARNE_FUZZ_CHECK(total <= size);
    VARNE_FUZZ_CHECK(dropped <= size);
    return 0;
}
