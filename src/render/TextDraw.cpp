// Drawing a laid-out text: every glyph, caret bar and underline of the
// visible lines goes to the glyph painter with its scales, colours, strokes,
// shear and rotation.
#include <cmath>

#include "render/DisplayHost.h"
#include "render/GlyphPainter.h"
#include "render/Renderer.h"
#include "render/TextChars.h"
#include "render/TextLayout.h"
#include "render/TextMath.h"

namespace {

struct TDrawContext {
    TGlyphPainter& painter;
    float scale;     // the caller's scale
    float drawScale; // times the host's scale factor when that applies
    float factor;    // the host's scale factor, 1 when it does not apply
    bool hostScaled;
    float alpha;
    float cos, sin;
    const TString& hoverLink;
};

const float* RunColour(const TTextRun& run, const TString& hoverLink)
{
    return (!run.linkId.IsEmpty() && run.linkId == hoverLink) ? run.linkColour : run.colour;
}

// Stroke widths and their colours: the outline in slot 255, the bold
// stroke after it (slot 255 alone, else 254); the outline band widens by
// the bold width so that it stays visible around it.
void SetStrokes(const TDrawContext& c, const TTextRun& run)
{
    float widths[2] = {0, 0};
    int used = 0;
    if (run.outlineSize > 0) {
        widths[used++] = run.outlineSize;
        c.painter.SetColour(255, run.outlineColour, c.alpha);
    }
    if (run.bold) {
        float bold = float(run.size) * c.scale * 0.0125f;
        widths[used] = bold;
        c.painter.SetColour(used == 0 ? 255 : 254, RunColour(run, c.hoverLink), c.alpha);
        if (used == 1)
            widths[0] += bold;
    }
    if (c.hostScaled) {
        widths[0] *= c.factor;
        widths[1] *= c.factor;
    }
    c.painter.SetStrokes(widths[0], widths[1]);
}

// Draws one run's glyphs; (dx, dy) is the pen along the baseline in
// quarter pixels and runs on from run to run.
void DrawRun(const TDrawContext& c, const TTextLayout& layout, const TTextRun& run, double& dx, double& dy)
{
    const TVecFont* font = run.font;
    const char* text = layout.GetText().c_str();
    const size_t length = layout.GetText().Length();
    const double startX = dx, startY = dy;
    const float glyphScale = run.scale * c.drawScale;
    double advanceSum = 0;
    if (font && run.first >= 0) {
        size_t end = std::min<size_t>(size_t(std::max(run.last + 1, 0)), length);
        for (size_t pos = size_t(run.first); pos < end;) {
            uint32_t code = 0;
            bool escaped = false;
            if (!ReadTextChar(text, end, pos, code, escaped))
                break;
            int32_t glyph = font->FindGlyph(code);
            if (glyph < 0)
                continue;
            c.painter.SetScale(glyphScale, glyphScale * font->GetScaleFactor(glyph));
            c.painter.DrawGlyph(font->GetCommands(glyph), NearestInt(dx), int32_t(std::trunc(dy)));
            const double advance = font->GetAdvance(glyph);
            dx += advance * glyphScale * c.cos;
            dy += advance * glyphScale * c.sin;
            advanceSum += advance;
        }
    }
    if (run.tabPosition != 0) {
        dx = double(run.tabPosition) * c.cos;
        dy = double(run.tabPosition) * c.sin;
    }
    if (run.cursor && font) {
        c.painter.SetScale(1, glyphScale);
        c.painter.DrawBox(0, float(NearestInt(-font->GetAscent())), 3, float(NearestInt(font->GetDescent())),
                          NearestInt(dx), int32_t(std::trunc(dy)));
    }
    if (run.underline) {
        c.painter.SetItalic(false);
        c.painter.SetStrokes(0, 0);
        c.painter.SetScale(float(glyphScale * advanceSum), 1);
        c.painter.DrawBox(0, 8, 1, 11, NearestInt(startX), int32_t(std::trunc(startY)));
    }
}

} // namespace

void TTextLayout::DrawWith(TGlyphPainter& painter, const TRect& rect, float scale, int32_t lineSpacing, float alpha,
                           const TTextureRef& target)
{
    if (!(scale >= 0))
        return;
    float left = float(rect.left), top = float(rect.top);
    float factor = 1;
    bool hostScaled = false;
    if (!target) {
        TRect viewport;
        TRenderer::Get()->GetViewport(viewport);
        left += float(viewport.left);
        top += float(viewport.top);
        hostScaled = GetDisplayHost().GetScaleFactor(factor);
        if (!hostScaled)
            factor = 1;
    }
    const float drawScale = hostScaled ? scale * factor : scale;
    painter.SetOverwrite(mOverwrite);
    painter.SetRotation(mCos, mSin);

    const size_t firstLine = FirstVisibleIndex();
    top -= (mFirstVisible - float(firstLine)) * float(mFontSize) * scale;
    const TDrawContext c{painter, scale, drawScale, factor, hostScaled, alpha, mCos, mSin, mHoverLink};
    double y = double(mYOffset) * scale + mOriginY;
    const double height = rect.Height();
    for (size_t i = firstLine; i < mLines.size(); ++i) {
        std::shared_ptr<TTextLine> hold = mLines[i];
        const TTextLine& line = *hold;
        double dx = 0, dy = 0;
        bool italic = false;
        for (const TTextRun& run : line.runs) {
            const double bottom = double(mFontSize) * scale + y;
            if (bottom > height || bottom < 0)
                break;
            painter.SetItalic(run.italic);
            SetStrokes(c, run);
            double x = line.x + double(line.xOffset) * scale;
            double py = (double(line.baseline) / 4 + y) * scale;
            if (mSin != 0) {
                const double ox = mRotationX, oy = mRotationY;
                const double rx = ox + (x - ox) * mCos - (py - oy) * mSin;
                const double ry = oy + (x - ox) * mSin + (py - oy) * mCos;
                x = rx;
                py = ry;
            }
            if (hostScaled) {
                x = NearestInt(double(left) * factor) + x * factor;
                py = NearestInt(double(top) * factor) + py * factor;
            } else {
                x += left;
                py += top;
            }
            painter.Begin(float(x), float(py), target);
            painter.SetColour(1, RunColour(run, mHoverLink), alpha);
            if (bool(run.italic) != italic && run.font) {
                const double d = ItalicShift(*run.font, run.scale * scale, run.italic);
                dx += d * mCos;
                dy += d * mSin;
            }
            italic = run.italic;
            DrawRun(c, *this, run, dx, dy);
        }
        y += double(line.height) + lineSpacing;
    }
    painter.Flush();
}
