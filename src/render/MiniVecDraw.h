#pragma once
#include <cstdint>
#include <memory>

#include "render/TextureRef.h"
#include "render/VecFont.h"

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

private:
    struct State;
    std::unique_ptr<State> mState;
};
