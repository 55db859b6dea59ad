#pragma once

#include <QImage>

namespace varne::gen {

// The application icon at the given square size: a test waveform with the trip marker of a
// relay test on a dark steel tile.
QImage DrawIcon(int size);

} // namespace varne::gen
