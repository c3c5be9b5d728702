#pragma once
// .mvec vector font files built in memory from a glyph list: the synthetic
// test font, damaged fonts for the reader's tests and the font generator in
// tools/ all write through here. Metrics and coordinates are given in font
// units and stored as signed 16-bit values in 1/128 units; a value that does
// not fit is clamped and the overflow flag is set.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mvec {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordSize = 18;
// Field offsets inside a glyph record.
constexpr size_t kRecordCode = 0;
constexpr size_t kRecordLeft = 4;
constexpr size_t kRecordRight = 6;
constexpr size_t kRecordTop = 8;
constexpr size_t kRecordBottom = 10;
constexpr size_t kRecordAdvance = 12;
constexpr size_t kRecordOffset = 14;

inline void PutLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void PutLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Overwrites bytes already written (for damaging a file in tests).
inline void PokeLe16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out.at(at) = uint8_t(v);
    out.at(at + 1) = uint8_t(v >> 8);
}

inline void PokeLe32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (size_t i = 0; i < 4; ++i)
        out.at(at + i) = uint8_t(v >> (8 * i));
}

// Where field `field` of record `glyph` starts in the file.
inline size_t RecordAt(size_t glyph, size_t field = 0)
{
    return kHeaderSize + glyph * kRecordSize + field;
}

// Font units to the stored 1/128 units, rounded to nearest and clamped.
inline int16_t ToUnits(float v, bool& overflow)
{
    float scaled = std::round(v * 128.0f);
    if (!(scaled >= -32768.0f && scaled <= 32767.0f)) {
        overflow = true;
        return scaled > 0 ? int16_t(32767) : int16_t(-32768);
    }
    return int16_t(scaled);
}

// A glyph's command list, built one command at a time.
class TCommands {
public:
    TCommands& Shape() { return Op(1); }
    TCommands& LeftFill(uint8_t style) { return Op(2).Byte(style); }
    TCommands& RightFill(uint8_t style) { return Op(3).Byte(style); }
    TCommands& Move(float x, float y) { return Op(4).Point(x, y); }
    TCommands& Line(float x, float y) { return Op(5).Point(x, y); }
    TCommands& Curve(float cx, float cy, float x, float y) { return Op(6).Point(cx, cy).Point(x, y); }
    TCommands& Colour(uint8_t r, uint8_t g, uint8_t b) { return Op(7).Byte(r).Byte(g).Byte(b); }
    TCommands& End() { return Op(8); }
    TCommands& Byte(uint8_t b)
    {
        mBytes.push_back(b);
        return *this;
    }
    // A closed rectangle from (x0, y0) to (x1, y1), clockwise on screen.
    TCommands& Rect(float x0, float y0, float x1, float y1)
    {
        return Move(x0, y0).Line(x1, y0).Line(x1, y1).Line(x0, y1).Line(x0, y0);
    }

    const std::vector<uint8_t>& Bytes() const { return mBytes; }
    bool Overflowed() const { return mOverflow; }

private:
    TCommands& Op(uint8_t op) { return Byte(op); }
    TCommands& Point(float x, float y)
    {
        PutLe16(mBytes, uint16_t(ToUnits(x, mOverflow)));
        PutLe16(mBytes, uint16_t(ToUnits(y, mOverflow)));
        return *this;
    }

    std::vector<uint8_t> mBytes;
    bool mOverflow = false;
};

// One glyph: its metrics in font units (y grows downwards, so top is
// negative above the baseline) and its command list, written as it is.
struct TGlyph {
    uint32_t code = 0;
    float left = 0, right = 0, top = 0, bottom = 0, advance = 0;
    std::vector<uint8_t> commands;
};

// A plain glyph whose ink is one filled rectangle, metrics from the box.
inline TGlyph BoxGlyph(uint32_t code, float advance, float left, float top, float right, float bottom)
{
    TGlyph g{code, left, right, top, bottom, advance, {}};
    g.commands = TCommands().LeftFill(1).Rect(left, top, right, bottom).End().Bytes();
    return g;
}

struct TWriteResult {
    std::vector<uint8_t> bytes; // empty when there are more than 65,535 glyphs
    bool overflow = false;      // a metric did not fit and was clamped
};

// The file of the glyphs, records in the order given (sort them first for a
// well-formed font), each command list after the record table in the same
// order.
inline TWriteResult WriteFont(const std::vector<TGlyph>& glyphs)
{
    TWriteResult result;
    if (glyphs.size() > 0xffff)
        return result;
    std::vector<uint8_t>& out = result.bytes;
    out = {'M', 'V', 'C', '4'};
    PutLe16(out, uint16_t(glyphs.size()));
    out.resize(kHeaderSize, 0);
    size_t offset = kHeaderSize + glyphs.size() * kRecordSize;
    for (const TGlyph& g : glyphs) {
        PutLe32(out, g.code);
        for (float v : {g.left, g.right, g.top, g.bottom, g.advance})
            PutLe16(out, uint16_t(ToUnits(v, result.overflow)));
        PutLe32(out, uint32_t(offset));
        offset += g.commands.size();
    }
    for (const TGlyph& g : glyphs)
        out.insert(out.end(), g.commands.begin(), g.commands.end());
    return result;
}

inline void SortByCode(std::vector<TGlyph>& glyphs)
{
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const TGlyph& a, const TGlyph& b) { return a.code < b.code; });
}

} // namespace mvec
