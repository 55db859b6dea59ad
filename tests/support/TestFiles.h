#pragma once

#include <QByteArray>
#include <QString>

namespace varne::test {

// The whole file, or "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);
// Writes `bytes` to `path`, making its directory first.
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace varne::test
