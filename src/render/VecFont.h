#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A vector font: one .mvec file held in memory. The file is "MVC4", a
// 16-bit glyph count, 6 unread bytes, then 18-byte glyph records sorted by
// character code (code, left, right, top and bottom ink edges, advance, the
// offset of the glyph's command list), then the command lists. All numbers
// are little-endian; coordinates and metrics are signed 16-bit values in
// 1/128 font units, y growing downwards.
//
// Damaged data never reads outside the file: records that do not fit are
// dropped and a command list stops at the end of the file (a log line
// each time a font is loaded).

// Opcodes of a glyph's command list.
enum : uint8_t {
    kGlyphShape = 1,     // new shape: fill styles reset, colours counted from here
    kGlyphLeftFill = 2,  // 1 byte: left fill style
    kGlyphRightFill = 3, // 1 byte: right fill style
    kGlyphMove = 4,      // x, y
    kGlyphLine = 5,      // x, y
    kGlyphCurve = 6,     // control x, y, end x, y (quadratic)
    kGlyphColour = 7,    // r, g, b: defines the next colour slot
    kGlyphEnd = 8,
};

// A glyph's command list: where it starts and how many bytes of the file
// follow it, and a key naming the glyph for caches: unique among all fonts
// ever loaded in the process (a freed font's key is never reused); 0 for
// command lists that must not be cached.
struct TGlyphCommands {
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint64_t key = 0;
};

// One decoded command; coordinates in font units.
struct TGlyphCommand {
    uint8_t opcode = kGlyphEnd;
    uint8_t style = 0;        // fill styles
    uint8_t rgb[3] = {0, 0, 0}; // colour
    float x = 0, y = 0;       // move, line and curve end
    float cx = 0, cy = 0;     // curve control point
};

// Reads a command list one command at a time. An unknown opcode or a
// command cut off by the end of the data ends the list (IsDamaged tells).
class TGlyphCommandReader {
public:
    explicit TGlyphCommandReader(TGlyphCommands commands) : mAt(commands.data), mLeft(commands.size) {}
    // False at the end of the list.
    bool Next(TGlyphCommand& out);
    bool IsDamaged() const { return mDamaged; }

private:
    bool Take(size_t count, const uint8_t*& bytes);

    const uint8_t* mAt;
    size_t mLeft;
    bool mDamaged = false;
    bool mEnded = false;
};

class TVecFont {
public:
    // The font of a file image (owned from now on). A wrong magic gives a
    // font with no glyphs; name is for log lines.
    TVecFont(std::vector<uint8_t> data, const std::string& name);
    TVecFont(const TVecFont&) = delete;
    TVecFont& operator=(const TVecFont&) = delete;

    int32_t GetGlyphCount() const { return int32_t(mGlyphs.size()); }
    // The glyph index of a character code, or -1.
    int32_t FindGlyph(uint32_t code) const;
    uint32_t GetCode(int32_t glyph) const;

    // Metrics in font units; 0 (scale factor 1) for an index out of range.
    float GetAdvance(int32_t glyph) const;
    float GetLeft(int32_t glyph) const;
    float GetRight(int32_t glyph) const;
    float GetTop(int32_t glyph) const;
    float GetBottom(int32_t glyph) const;
    // Below 1 for a glyph taller than the line box: drawing squeezes it
    // vertically by this factor.
    float GetScaleFactor(int32_t glyph) const;
    TGlyphCommands GetCommands(int32_t glyph) const;

    // Ascent: minus the top of "W" (without one, the tallest ink above the
    // baseline among codes 0 to 127), never below 0. Descent: the deepest ink
    // below it among codes 0 to 127, the underscore excepted. Their sum is
    // never below 1.
    float GetAscent() const { return mAscent; }
    float GetDescent() const { return mDescent; }

    // The line box around ascent and descent: they fill 0.8 of a line, with
    // 0.15 of it above and 0.05 below.
    float GetTopMargin() const { return 0.15f * (mAscent + mDescent) / 0.8f; }
    float GetBottomMargin() const { return 0.05f * (mAscent + mDescent) / 0.8f; }

private:
    struct Glyph {
        uint32_t code;
        float left, right, top, bottom, advance;
        float scale;
        uint32_t offset; // of the command list; 0 when it lies outside the file
    };
    const Glyph* At(int32_t glyph) const;
    void ReadRecords(const std::string& name);
    void Measure();

    std::vector<uint8_t> mData;
    std::vector<Glyph> mGlyphs; // sorted by code
    uint64_t mSerial;           // from 1, one per font made
    float mAscent = 1;
    float mDescent = 0;
};
