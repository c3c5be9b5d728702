#include "render/MiniVecCalibration.h"

#include <cstddef>

namespace {

bool Lit(uint32_t argb)
{
    return (argb & 0x00FFFFFFu) != 0;
}

uint32_t Brightness(uint32_t argb)
{
    return ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF);
}

} // namespace

TCalibrationSetting CalibrationSetting(int32_t i)
{
    return {float((i / 8) % 4) * 0.25f - 1.0f, float(i % 8) * 0.25f - 1.0f, float(i / 32) * 0.25f};
}

void CalibrationTargets(int32_t i, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
    x1 = 1 + 4 * i;
    y1 = 1;
    x2 = 2 + 4 * i;
    y2 = 2;
}

TCalibrationJudgement JudgeCalibration(const uint32_t* pixels, uint32_t pitch)
{
    TCalibrationJudgement result;
    uint32_t brightest = 0;
    auto at = [&](int32_t x, int32_t y) { return pixels[size_t(y) * pitch + size_t(x)]; };
    for (int32_t i = 0; i < kCalibrationSettings; ++i) {
        int32_t x1, y1, x2, y2;
        CalibrationTargets(i, x1, y1, x2, y2);
        // Left and right of each target, above the first, below the second.
        const uint32_t around[6] = {at(x1 - 1, y1), at(x1 + 1, y1), at(x2 - 1, y2),
                                    at(x2 + 1, y2), at(x1, y1 - 1), at(x2, y2 + 1)};
        bool stray = false;
        for (uint32_t p : around)
            stray = stray || Lit(p);
        const uint32_t a = at(x1, y1), b = at(x2, y2);
        if (!stray && !Lit(a) && !Lit(b)) {
            ++result.blanks;
            continue;
        }
        const uint32_t bright = Brightness(a) + Brightness(b);
        if (!stray && Lit(a) && Lit(b) && bright >= brightest) {
            brightest = bright;
            result.chosen = i;
        }
    }
    return result;
}
