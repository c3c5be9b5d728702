#pragma once
#include <cstdint>

#include "render/TextureRef.h"
#include "render/VecFont.h"

// What drawing a text layout asks of the glyph rasteriser. The program's
// painter forwards to its TDnMiniVecDraw (MiniVecPainter.h); tests record.
class TGlyphPainter {
public:
    virtual ~TGlyphPainter() = default;
    virtual void SetColour(int32_t slot, const float rgba[4], float alphaFactor) = 0;
    virtual bool Begin(float x, float y, const TTextureRef& target) = 0;
    virtual void DrawGlyph(TGlyphCommands commands, int32_t dx, int32_t dy) = 0;
    virtual void DrawBox(float x0, float y0, float x1, float y1, int32_t dx, int32_t dy) = 0;
    virtual void Flush() = 0;
    virtual void SetScale(float horizontal, float vertical) = 0;
    virtual void SetRotation(float cosine, float sine) = 0;
    virtual void SetItalic(bool italic) = 0;
    virtual void SetStrokes(float first, float second) = 0;
    virtual void SetOverwrite(bool overwrite) = 0;
};
