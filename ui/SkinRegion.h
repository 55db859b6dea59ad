#pragma once

#include "ui/ResourcePaths.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varne {

// Colour values with byte 0 as the low byte. Byte k of the key and of the tolerance is
// compared with byte k of a pixel taken in blue, green, red order, so this key cuts out
// pure blue (not red) and the tolerance lets blue 255 with green and red up to 16 through.
inline constexpr std::uint32_t kSkinKeyColour = 0x000000FFu;
inline constexpr std::uint32_t kSkinTolerance = 0x00101010u;

// Rectangles handed to QRegion at once; larger sets are built in batches joined by union.
inline constexpr std::size_t kSkinRegionBatch = 2000;

// The opaque runs of the bitmap, one rectangle one pixel high per run, rows from the top and
// runs from the left. A run that reaches the right edge ends at the image width.
std::vector<QRect> CollectSkinRuns(const QImage& bitmap, std::uint32_t key,
                                   std::uint32_t tolerance);

// The union of the runs, built from batches of at most batchSize rectangles. An empty
// optional when the runs cover no area.
std::optional<QRegion> RegionFromRuns(const std::vector<QRect>& runs,
                                      std::size_t batchSize = kSkinRegionBatch);

// The window shape of a skin: its opaque pixels. An empty optional for a null bitmap and for
// a bitmap without an opaque pixel: the caller then sets no mask and the window keeps its
// rectangle (an empty QRegion would remove a mask rather than hide the window).
std::optional<QRegion> BuildSkinRegion(const QImage& bitmap, std::uint32_t key,
                                       std::uint32_t tolerance);

// Loads the bitmap at resourcePath (a Qt resource such as kSkinResourcePath, or a file) and builds
// its shape; an empty optional when it cannot be loaded or has no opaque pixel.
std::optional<QRegion> SkinRegionFromResource(const QString& resourcePath, std::uint32_t key,
                                              std::uint32_t tolerance);

} // namespace varne
