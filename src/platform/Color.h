#pragma once
#include <cmath>
#include <cstdint>

// Packed A8R8G8B8 colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
struct TColor {
    uint32_t argb = 0;

    TColor() = default;
    TColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
        : argb(uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b)
    {
    }
    TColor(uint32_t packed) : argb(packed) {}
    // Four floats r, g, b, a in 0..1, each times 255 and truncated; values
    // outside 0..1 (and NaN, as 0) are clamped first.
    explicit TColor(const float* rgba)
        : TColor(FloatByte(rgba[0]), FloatByte(rgba[1]), FloatByte(rgba[2]), FloatByte(rgba[3]))
    {
    }

    uint8_t GetA() const { return uint8_t(argb >> 24); }
    uint8_t GetR() const { return uint8_t(argb >> 16); }
    uint8_t GetG() const { return uint8_t(argb >> 8); }
    uint8_t GetB() const { return uint8_t(argb); }

    void SetA(uint8_t v) { argb = (argb & 0x00FFFFFFu) | uint32_t(v) << 24; }
    void SetR(uint8_t v) { argb = (argb & 0xFF00FFFFu) | uint32_t(v) << 16; }
    void SetG(uint8_t v) { argb = (argb & 0xFFFF00FFu) | uint32_t(v) << 8; }
    void SetB(uint8_t v) { argb = (argb & 0xFFFFFF00u) | v; }

    bool operator==(const TColor& other) const { return argb == other.argb; }

private:
    static uint8_t FloatByte(float v)
    {
        if (!(v > 0))
            return 0;
        if (v >= 1)
            return 255;
        return uint8_t(v * 255.0f);
    }
};
