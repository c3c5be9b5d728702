#pragma once
#include <algorithm>
#include <cstdint>

// Integer rectangle; right and bottom are exclusive. A rectangle whose right
// is not greater than its left, or bottom not greater than top, is empty.
struct TRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    TRect() = default;
    TRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }

    static TRect Union(const TRect& a, const TRect& b)
    {
        return TRect(std::min(a.left, b.left), std::min(a.top, b.top),
                     std::max(a.right, b.right), std::max(a.bottom, b.bottom));
    }
    // Rectangles that do not overlap give an empty (inverted) result.
    static TRect Intersect(const TRect& a, const TRect& b)
    {
        return TRect(std::max(a.left, b.left), std::max(a.top, b.top),
                     std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    }

    bool operator==(const TRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
