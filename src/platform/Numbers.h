#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

// A number truncated toward zero into the int32 range (saturating); NaN
// gives 0.
inline int32_t TruncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

// The value of a hexadecimal digit (either case), or -1 for any other
// character.
inline int HexDigit(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
