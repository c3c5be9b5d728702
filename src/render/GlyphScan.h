#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/VecFont.h"

// The scan conversion under the glyph rasteriser: a glyph's command list
// becomes edges in quarter pixels (fill edges, and six-sided bands around
// every segment for the stroke passes), and the edges become, row by row,
// runs of pixels of equal coverage (1..16 of the 4 x 4 sub-samples) in one
// of four colour layers. Coordinates are relative to the glyph's whole-pixel
// origin.

// How a glyph is placed: scales from font units to quarter pixels, the
// rotation, the italic shear, stroke widths in pixels (0: off; the second
// only counts when the first is on) and the sub-pixel position (0..3
// quarter pixels).
struct TGlyphPlacement {
    float scaleX = 1, scaleY = 1;
    float cosine = 1, sine = 0;
    float strokes[2] = {0, 0};
    bool italic = false;
    int32_t subX = 0, subY = 0;
};

// A colour a glyph defines with its colour opcode: slot and opaque colour.
struct TGlyphColour {
    uint8_t slot;
    uint8_t rgb[3];
};

// Receives the runs of a scan: pixels x0 up to (not including) x1 on row,
// coverage 1..16 sub-samples, layer 0..3.
class TGlyphRunSink {
public:
    virtual ~TGlyphRunSink() = default;
    virtual void Run(int32_t x0, int32_t x1, int32_t row, uint8_t coverage, uint8_t layer) = 0;
};

// Why a glyph was not scanned, or was scanned only in part.
enum class TGlyphProblem : uint8_t {
    None,
    TooLarge,    // a point beyond kGlyphReach or not a number
    TooComplex,  // more than kMaxGlyphEdges edges
    TooWide,     // wider than a coverage row: cut at its right end
    Damaged,     // the command list is cut short or has a bad opcode
};

class TGlyphScan {
public:
    // Points may lie this many quarter pixels from the pen in any direction.
    static constexpr float kGlyphReach = 4.0f * 4096.0f;
    static constexpr size_t kMaxGlyphEdges = size_t(1) << 18;
    // Coverage rows hold this many pixels, starting just left of the
    // glyph's leftmost edge.
    static constexpr int32_t kRowPixels = 3200;

    TGlyphScan();

    // The edges of a command list; colours the list defines are appended to
    // colours. False (nothing to scan) when the glyph is refused; problem
    // tells why, and also reports a damaged list, drawn as far as it goes.
    // A zero scale builds no edges.
    bool Build(TGlyphCommands commands, const TGlyphPlacement& placement, std::vector<TGlyphColour>& colours,
               TGlyphProblem& problem);
    // Scans the built edges; slotLayer maps a fill slot to its layer.
    // Returns TooWide when runs were cut at the row's end, else None.
    TGlyphProblem Scan(const uint8_t slotLayer[256], TGlyphRunSink& sink);

    size_t GetEdgeCount() const { return mEdges.size(); }
    // Starts at 512 and doubles as glyphs need more.
    size_t GetEdgeCapacity() const { return mCapacity; }

private:
    struct Edge {
        float x0, y0, slope;
        int32_t first, last; // sub-scanlines first .. last - 1
        float x;             // at the current sub-scanline
        uint8_t style;       // fill slot, or for strokes 1 when running upwards
        uint8_t shape;       // 0, 1: stroke passes; 2 and up: fill shapes
    };
    struct Point {
        float x, y;
    };

    void Segment(Point from, Point to, uint8_t style, uint8_t shape);
    void Curve(Point from, Point control, Point to, uint8_t style, uint8_t shape);
    void StrokeBand(Point from, Point to, float width, uint8_t pass);
    void AddEdge(Point from, Point to, uint8_t style, uint8_t shape);
    Point Place(Point p) const;

    void Activate(int32_t line, size_t& next);
    void Walk(const uint8_t slotLayer[256]);
    uint8_t CurrentSlot() const;
    void AddSpan(uint8_t layer, float xa, float xb);
    void EmitRow(int32_t row, TGlyphRunSink& sink);

    TGlyphPlacement mPlace;
    bool mRefused = false;
    uint8_t mTopShape = 2;

    std::vector<Edge> mEdges;
    size_t mCapacity;
    std::vector<uint32_t> mOrder;  // edges by first sub-scanline
    std::vector<uint32_t> mActive; // sorted by x
    float mMinX = 0, mMaxX = 0;
    int32_t mFirst = 0, mLast = 0;

    // Fill state while walking a sub-scanline.
    int32_t mStrokeCount[2] = {0, 0};
    uint8_t mShapeSlot[256] = {};

    // Coverage differences per layer; pixel i of a row is x = mRowLeft + i.
    int32_t mRowLeft = 0;
    bool mClipped = false;
    std::vector<int16_t> mCoverage[4];
    int32_t mLow[4], mHigh[4];
};
