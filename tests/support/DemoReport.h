#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace varne::test {

// The simulator's demo image followed by its check byte: the payload of its report reply.
std::vector<std::uint8_t> demoPayload();
// The text report of the demo image (handshake value 7), as the report driver composes it.
QByteArray expectedDemoTextReport();

} // namespace varne::test
