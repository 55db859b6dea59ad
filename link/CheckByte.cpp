#include "link/CheckByte.h"

namespace varne {

std::uint8_t checkByte(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

} // namespace varne
