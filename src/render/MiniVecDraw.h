#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/TextureRef.h"
#include "render/VecFont.h"

struct TGlyphColour;
struct TGlyphCacheKey;

// The glyph rasteriser: turns glyph command lists into one-pixel-high line
// spans at 4 x 4 sub-samples per pixel, in four colour layers (outline,
// bold stroke, fills, text colour), and sends them to the renderer as a
// line list or writes them into a locked texture. The spans of every glyph
// it rasterises are cached (within a memory cap), so text drawn again
// replays them. One object for the program, made after the first display
// mode is set and calibrated once. Main thread only.
class TDnMiniVecDraw {
public:
    TDnMiniVecDraw();
    virtual ~TDnMiniVecDraw();
    TDnMiniVecDraw(const TDnMiniVecDraw&) = delete;
    TDnMiniVecDraw& operator=(const TDnMiniVecDraw&) = delete;

    // Finds where the display driver puts line end points (once, after the
    // first mode set).
    void Calibrate();

    // Colour slot 0..255: 1 is the text colour, 255 the first stroke pass,
    // 254 the second. alphaFactor multiplies the colour's alpha.
    void SetColour(int32_t slot, const float rgba[4], float alphaFactor);

    // Starts drawing at (x, y) pixels: onto the screen (inside the open 2D
    // pass) when target is empty, else into target, which stays locked
    // until a Begin with another target or Flush.
    bool Begin(float x, float y, const TTextureRef& target);
    // Rasterises one glyph dx, dy quarter pixels from the pen origin with
    // the current scales, rotation, shear, strokes and colours.
    void DrawGlyph(TGlyphCommands commands, int32_t dx, int32_t dy);
    // A filled box (x0, y0)-(x1, y1) in font units, drawn as a glyph of its
    // own (never cached).
    void DrawBox(float x0, float y0, float x1, float y1, int32_t dx, int32_t dy);
    // Sends pending lines; unlocks and lets go of a target texture.
    void Flush();

    // Drawing state the text drawing sets before each glyph.
    void SetScale(float horizontal, float vertical); // font units to quarter pixels
    void SetRotation(float cosine, float sine);
    void SetItalic(bool italic);
    // Stroke widths in pixels (0: off); pass 0 draws in slot 255, pass 1
    // in slot 254.
    void SetStrokes(float first, float second);
    // Into a texture: replace its pixels, alpha included, instead of
    // blending over them.
    void SetOverwrite(bool overwrite);

    // Where line end points go relative to pixel edges (calibrated).
    struct TLineOffsets {
        float start = -0.75f, end = -0.75f, y = 0.25f;
    };
    TLineOffsets GetLineOffsets() const;
    // The setting calibration chose (0..127), or -1 when none passed.
    int32_t GetCalibrationSetting() const;
    // Vertices sent per line list: 256, or 64 on drivers that failed
    // calibration with mostly blank results.
    uint32_t GetBatchCapacity() const;

    // Counters for tests and the statistics overlay.
    struct TStats {
        uint32_t rasterised = 0; // glyphs scanned from their outlines
        uint32_t replayed = 0;   // glyphs drawn from the span cache
        size_t cacheBytes = 0;
        size_t cacheCap = 0;
        uint32_t cacheClears = 0; // the cache was full and emptied
        size_t edgeCapacity = 0;
        uint32_t batches = 0; // line lists sent to the renderer
    };
    TStats GetStats() const;

private:
    struct State;
    class Sink;
    void Replay(int32_t entry, int32_t x, int32_t y);
    void Rasterise(TGlyphCommands commands, int32_t x, int32_t y, int32_t subX, int32_t subY,
                   const TGlyphCacheKey* key);
    void Output(int32_t x0, int32_t x1, int32_t y, uint32_t argb);
    void WritePixels(int32_t x0, int32_t x1, int32_t y, uint32_t argb);
    void SendBatch();
    void ReleaseTarget();
    void ApplyColours(const std::vector<TGlyphColour>& colours);
    bool RunCalibration(int32_t& blanks);
    void LogOnce(uint32_t kind, const char* text);

    std::unique_ptr<State> mState;
};
