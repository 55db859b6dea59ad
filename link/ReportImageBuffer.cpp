#include "link/ReportImageBuffer.h"

#include <algorithm>

namespace varne {

bool ReportImageBuffer::assign(std::span<const std::uint8_t> payload) {
    if (payload.size() > storage_.size()) {
        return false;
    }
    std::ranges::copy(payload, storage_.begin());
    length_ = payload.size();
    return true;
}

} // namespace varne
