#pragma once
#include <cstdint>

#include "platform/Matrix.h"
#include "platform/Vector.h"

// Draw flags of TDrawParams.
enum : uint32_t {
    kDrawMirrorX = 1,      // mirror left to right
    kDrawMirrorY = 2,      // mirror top to bottom
    kDrawSourceRect = 4,   // draw only the source rectangle
    kDrawAtOrigin = 8,     // place the origin point at the position (else centre the image there)
};

// How one image is placed in a 2D pass: a 2D transform (row vectors,
// translation in the last row), the origin point, colour and alpha
// multipliers, the source rectangle, the draw flags and a frame index
// (-1: none given). A plain copyable record.
struct TDrawParams {
    TMat3 transform;
    TVec2 origin;
    float colour[4] = {1, 1, 1, 1};
    float alpha = 1;
    int32_t sourceRect[4] = {0, 0, 0, 0};
    uint32_t flags = 0;
    int32_t frame = -1;

    // Identity transform, scaled uniformly unless scale is exactly 1, with
    // the translation row (position, 1).
    TDrawParams(TVec2 position, float alphaValue, float scale, uint32_t drawFlags)
        : alpha(alphaValue), flags(drawFlags)
    {
        if (scale != 1.0f)
            transform.Scale(scale);
        transform(2, 0) = position.x;
        transform(2, 1) = position.y;
        transform(2, 2) = 1.0f;
    }
};
