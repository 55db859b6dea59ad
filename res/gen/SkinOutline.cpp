#include "res/gen/SkinOutline.h"

#include <array>

namespace varne::gen {
namespace {

struct OutlineBand {
    int firstRow;
    int lastRow;
    RowRun run;
};

// Rounded corners, the straight sides and the small tab above the top right corner.
constexpr std::array<OutlineBand, 20> kOutline{{
    {0, 2, {382, 400}},   {3, 3, {14, 385}},    {4, 4, {12, 387}},     {5, 5, {10, 389}},
    {6, 6, {8, 391}},     {7, 7, {7, 392}},     {8, 8, {6, 393}},      {9, 10, {5, 394}},
    {11, 12, {4, 395}},   {13, 15, {3, 396}},   {16, 383, {3, 397}},   {384, 386, {3, 396}},
    {387, 388, {4, 395}}, {389, 390, {5, 394}}, {391, 391, {6, 393}},  {392, 392, {7, 392}},
    {393, 393, {8, 391}}, {394, 394, {9, 390}}, {395, 395, {11, 388}}, {396, 396, {14, 385}},
}};

} // namespace

std::optional<RowRun> SkinRowRun(int row) {
    for (const OutlineBand& band : kOutline) {
        if (row >= band.firstRow && row <= band.lastRow) {
            return band.run;
        }
    }
    return std::nullopt;
}

bool IsInsideSkin(int x, int y) {
    const std::optional<RowRun> run = SkinRowRun(y);
    return run && x >= run->first && x < run->end;
}

} // namespace varne::gen
