#pragma once
#include "render/GlyphPainter.h"
#include "render/MiniVecDraw.h"

// Text drawing straight into the program's rasteriser.
class TMiniVecPainter final : public TGlyphPainter {
public:
    explicit TMiniVecPainter(TDnMiniVecDraw& draw) : mDraw(draw) {}
    void SetColour(int32_t slot, const float rgba[4], float alphaFactor) override
    {
        mDraw.SetColour(slot, rgba, alphaFactor);
    }
    bool Begin(float x, float y, const TTextureRef& target) override { return mDraw.Begin(x, y, target); }
    void DrawGlyph(TGlyphCommands commands, int32_t dx, int32_t dy) override { mDraw.DrawGlyph(commands, dx, dy); }
    void DrawBox(float x0, float y0, float x1, float y1, int32_t dx, int32_t dy) override
    {
        mDraw.DrawBox(x0, y0, x1, y1, dx, dy);
    }
    void Flush() override { mDraw.Flush(); }
    void SetScale(float horizontal, float vertical) override { mDraw.SetScale(horizontal, vertical); }
    void SetRotation(float cosine, float sine) override { mDraw.SetRotation(cosine, sine); }
    void SetItalic(bool italic) override { mDraw.SetItalic(italic); }
    void SetStrokes(float first, float second) override { mDraw.SetStrokes(first, second); }
    void SetOverwrite(bool overwrite) override { mDraw.SetOverwrite(overwrite); }

private:
    TDnMiniVecDraw& mDraw;
};
