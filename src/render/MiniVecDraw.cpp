#include "render/MiniVecDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Color.h"
#include "platform/Log.h"
#include "render/DisplayHost.h"
#include "render/GlyphScan.h"
#include "render/GlyphSpanCache.h"
#include "render/MiniVecCalibration.h"
#include "render/RenderStates.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/VertexList.h"

namespace {

constexpr uint32_t kBatchVertices = 256;
constexpr uint32_t kSmallBatch = 64;
constexpr int32_t kMostBlanks = 75;
// Pen positions are kept within this many pixels of the origin.
constexpr int64_t kPenReach = int64_t(1) << 28;

// Log lines written once per rasteriser.
enum : uint32_t {
    kLogTooLarge = 1,
    kLogTooComplex = 2,
    kLogTooWide = 4,
    kLogDamaged = 8,
    kLogLock = 16,
    kLogBadPen = 32,
};

// Colours of the slots, the single-row colours and the layers' ramps.
struct TColours {
    TColor slot[256];
    TColor singleRow[256][4];
    TColor ramp[4][32];
};

TColor WithAlpha(TColor c, uint32_t alpha)
{
    c.SetA(uint8_t(std::min<uint32_t>(alpha, 255)));
    return c;
}

void SetSlot(TColours& colours, const uint8_t layerOf[256], int32_t slot, TColor rgb, uint32_t a)
{
    colours.slot[slot] = WithAlpha(rgb, a);
    static const uint32_t kSingle[4] = {17, 40, 73, 128};
    for (int32_t i = 0; i < 4; ++i)
        colours.singleRow[slot][i] = WithAlpha(rgb, a * kSingle[i] / 256);
    TColor* ramp = colours.ramp[layerOf[slot]];
    ramp[0] = WithAlpha(rgb, 0);
    for (uint32_t c = 1; c < 32; ++c)
        ramp[c] = WithAlpha(rgb, c <= 16 ? a * c / 16 : a * 255 / 256);
}

int64_t FloorQuarter(float pixels)
{
    const double q = std::floor(double(pixels) * 4.0);
    return int64_t(std::clamp(q, -double(kPenReach) * 4, double(kPenReach) * 4));
}

int16_t FontUnits(float v)
{
    const float scaled = std::round(v * 128.0f);
    if (!(scaled > -32768.0f))
        return std::isnan(scaled) ? 0 : -32768;
    return scaled < 32767.0f ? int16_t(scaled) : int16_t(32767);
}

void PutPoint(std::vector<uint8_t>& out, uint8_t opcode, float x, float y)
{
    out.push_back(opcode);
    for (int16_t v : {FontUnits(x), FontUnits(y)}) {
        out.push_back(uint8_t(uint16_t(v)));
        out.push_back(uint8_t(uint16_t(v) >> 8));
    }
}

} // namespace

struct TDnMiniVecDraw::State {
    // Output.
    TScreenVertex batch[kBatchVertices];
    std::unique_ptr<TVertexList> list = MakeScreenVertexList(batch, 0);
    uint32_t used = 0;
    uint32_t capacity = kBatchVertices;
    TLineOffsets offsets;
    int32_t setting = -1;

    // Colours.
    TColours colours;
    TColours saved; // around a glyph that defines its own colours
    uint8_t layerOf[256];

    // Pen and drawing state.
    int32_t originX = 0, originY = 0;
    int32_t remX = 0, remY = 0;
    float scaleX = 1, scaleY = 1;
    float cosine = 1, sine = 0;
    float strokes[2] = {0, 0};
    bool italic = false;
    bool overwrite = false;

    // The target texture, locked from its Begin until Flush.
    TTextureRef target;
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    int32_t width = 0, height = 0;

    TGlyphScan scan;
    TGlyphSpanCache cache;
    std::vector<TGlyphColour> glyphColours;
    TStats stats;
    uint32_t logged = 0;
};

// Hands the scan's runs to the output, and to the cache while recording.
class TDnMiniVecDraw::Sink : public TGlyphRunSink {
public:
    Sink(TDnMiniVecDraw& draw, int32_t x, int32_t y) : mDraw(draw), mX(x), mY(y) {}
    void Run(int32_t x0, int32_t x1, int32_t row, uint8_t coverage, uint8_t layer) override
    {
        State& s = *mDraw.mState;
        mDraw.Output(mX + x0, mX + x1, mY + row, s.colours.ramp[layer][std::min<int32_t>(coverage, 31)].argb);
        if (s.cache.IsRecording())
            s.cache.Add({int16_t(x0), int16_t(x1), int16_t(row), coverage, layer});
    }

private:
    TDnMiniVecDraw& mDraw;
    int32_t mX, mY;
};

TDnMiniVecDraw::TDnMiniVecDraw() : mState(std::make_unique<State>())
{
    State& s = *mState;
    std::fill(s.layerOf, s.layerOf + 256, uint8_t(2));
    s.layerOf[255] = 0;
    s.layerOf[254] = 1;
    s.layerOf[1] = 3;
    for (TScreenVertex& v : s.batch) {
        v.z = 0.1f;
        v.rhw = 0.5f;
    }
}

TDnMiniVecDraw::~TDnMiniVecDraw()
{
    if (mState->target && mState->pixels)
        mState->target->Unlock();
}

void TDnMiniVecDraw::LogOnce(uint32_t kind, const char* text)
{
    if (mState->logged & kind)
        return;
    mState->logged |= kind;
    WriteLog("Glyph rasteriser: %s", text);
}

void TDnMiniVecDraw::SetColour(int32_t slot, const float rgba[4], float alphaFactor)
{
    if (slot < 0 || slot > 255 || !rgba)
        return;
    const TColor colour(rgba);
    const float alpha = float(colour.GetA()) * alphaFactor;
    const uint32_t a = alpha > 0 ? uint32_t(std::min(alpha, 255.0f)) : 0;
    SetSlot(mState->colours, mState->layerOf, slot, colour, a);
}

void TDnMiniVecDraw::ApplyColours(const std::vector<TGlyphColour>& colours)
{
    for (const TGlyphColour& c : colours)
        SetSlot(mState->colours, mState->layerOf, c.slot, TColor(c.rgb[0], c.rgb[1], c.rgb[2], 255), 255);
}

void TDnMiniVecDraw::SetScale(float horizontal, float vertical)
{
    mState->scaleX = horizontal;
    mState->scaleY = vertical;
}

void TDnMiniVecDraw::SetRotation(float cosine, float sine)
{
    mState->cosine = cosine;
    mState->sine = sine;
}

void TDnMiniVecDraw::SetItalic(bool italic)
{
    mState->italic = italic;
}

void TDnMiniVecDraw::SetStrokes(float first, float second)
{
    mState->strokes[0] = first;
    mState->strokes[1] = second;
}

void TDnMiniVecDraw::SetOverwrite(bool overwrite)
{
    mState->overwrite = overwrite;
}

bool TDnMiniVecDraw::Begin(float x, float y, const TTextureRef& target)
{
    State& s = *mState;
    if (target != s.target) {
        if (s.target)
            ReleaseTarget();
        else
            SendBatch();
        if (target) {
            s.target = target;
            // Writes stay inside both the image and the surface under it.
            const TTextureData& data = *target->GetData();
            if (target->Lock(s.pixels, s.pitch)) {
                s.width = int32_t(std::min({data.mWidth, data.mSurfaceWidth, s.pitch}));
                s.height = int32_t(std::min(data.mHeight, data.mSurfaceHeight));
            } else {
                s.pixels = nullptr;
                LogOnce(kLogLock, "a target texture could not be locked; text drawn into it is dropped");
            }
        }
    }
    if (!target)
        TRenderer::Get()->SetTexture(TTextureRef());
    if (!std::isfinite(x) || !std::isfinite(y))
        LogOnce(kLogBadPen, "a pen position that is not a number, drawn at 0");
    const int64_t qx = std::isfinite(x) ? FloorQuarter(x) : 0, qy = std::isfinite(y) ? FloorQuarter(y) : 0;
    s.originX = int32_t(qx >> 2);
    s.originY = int32_t(qy >> 2);
    s.remX = int32_t(qx & 3);
    s.remY = int32_t(qy & 3);
    return true;
}

void TDnMiniVecDraw::DrawGlyph(TGlyphCommands commands, int32_t dx, int32_t dy)
{
    State& s = *mState;
    if (!commands.data || commands.size == 0)
        return;
    const int64_t qx = int64_t(s.remX) + dx, qy = int64_t(s.remY) + dy;
    const int32_t x = int32_t(std::clamp(int64_t(s.originX) + (qx >> 2), -kPenReach, kPenReach));
    const int32_t y = int32_t(std::clamp(int64_t(s.originY) + (qy >> 2), -kPenReach, kPenReach));
    const int32_t subX = int32_t(qx & 3), subY = int32_t(qy & 3);
    if (commands.key != 0) {
        TGlyphCacheKey key;
        key.glyph = commands.key;
        key.subX = subX;
        key.subY = subY;
        key.scaleX = s.scaleX;
        key.scaleY = s.scaleY;
        key.strokes[0] = s.strokes[0];
        key.strokes[1] = s.strokes[0] != 0 ? s.strokes[1] : 0;
        key.cosine = s.cosine;
        key.sine = s.sine;
        key.italic = s.italic;
        const int32_t entry = s.cache.Find(key);
        if (entry >= 0) {
            ++s.stats.replayed;
            Replay(entry, x, y);
            return;
        }
        Rasterise(commands, x, y, subX, subY, &key);
        return;
    }
    Rasterise(commands, x, y, subX, subY, nullptr);
}

void TDnMiniVecDraw::Rasterise(TGlyphCommands commands, int32_t x, int32_t y, int32_t subX, int32_t subY,
                               const TGlyphCacheKey* key)
{
    State& s = *mState;
    TGlyphPlacement place;
    place.scaleX = s.scaleX;
    place.scaleY = s.scaleY;
    place.cosine = s.cosine;
    place.sine = s.sine;
    place.strokes[0] = s.strokes[0];
    place.strokes[1] = s.strokes[1];
    place.italic = s.italic;
    place.subX = subX;
    place.subY = subY;
    s.glyphColours.clear();
    TGlyphProblem problem = TGlyphProblem::None;
    const bool built = s.scan.Build(commands, place, s.glyphColours, problem);
    if (problem == TGlyphProblem::TooLarge)
        LogOnce(kLogTooLarge, "a glyph reaching too far from its pen (scale too large or not a number) is not drawn");
    else if (problem == TGlyphProblem::TooComplex)
        LogOnce(kLogTooComplex, "a glyph with too many edges is not drawn");
    else if (problem == TGlyphProblem::Damaged)
        LogOnce(kLogDamaged, "a damaged glyph outline is drawn as far as it goes");
    if (!built)
        return;
    ++s.stats.rasterised;
    s.stats.edgeCapacity = s.scan.GetEdgeCapacity();
    if (key)
        s.cache.Begin(*key, s.glyphColours);
    if (!s.glyphColours.empty()) {
        s.saved = s.colours;
        ApplyColours(s.glyphColours);
    }
    Sink sink(*this, x, y);
    if (s.scan.Scan(s.layerOf, sink) == TGlyphProblem::TooWide)
        LogOnce(kLogTooWide, "a glyph wider than a coverage row is cut at its right end");
    if (key)
        s.cache.End();
    if (!s.glyphColours.empty())
        s.colours = s.saved;
}

void TDnMiniVecDraw::Replay(int32_t entry, int32_t x, int32_t y)
{
    State& s = *mState;
    const std::vector<TGlyphColour>& colours = s.cache.GetColours(entry);
    if (!colours.empty()) {
        s.saved = s.colours;
        ApplyColours(colours);
    }
    s.cache.ForEachSpan(entry, [&](const TGlyphSpan& span) {
        const TColor colour = s.colours.ramp[span.layer & 3][std::min<int32_t>(span.coverage, 31)];
        Output(x + span.x0, x + span.x1, y + span.row, colour.argb);
    });
    if (!colours.empty())
        s.colours = s.saved;
}

void TDnMiniVecDraw::DrawBox(float x0, float y0, float x1, float y1, int32_t dx, int32_t dy)
{
    std::vector<uint8_t> box = {kGlyphLeftFill, 1};
    PutPoint(box, kGlyphMove, x0, y0);
    PutPoint(box, kGlyphLine, x1, y0);
    PutPoint(box, kGlyphLine, x1, y1);
    PutPoint(box, kGlyphLine, x0, y1);
    PutPoint(box, kGlyphLine, x0, y0);
    box.push_back(kGlyphEnd);
    DrawGlyph({box.data(), box.size(), 0}, dx, dy);
}

void TDnMiniVecDraw::Output(int32_t x0, int32_t x1, int32_t y, uint32_t argb)
{
    State& s = *mState;
    if (s.target) {
        WritePixels(x0, x1, y, argb);
        return;
    }
    if (s.used + 2 > s.capacity)
        SendBatch();
    TScreenVertex* v = s.batch + s.used;
    v[0].x = float(x0) + s.offsets.start;
    v[1].x = float(x1) + s.offsets.end;
    v[0].y = v[1].y = float(y) + s.offsets.y;
    v[0].diffuse = v[1].diffuse = TColor(argb);
    s.used += 2;
}

// Pixels x0 .. x1 - 1 of row y, cut to the locked texture.
void TDnMiniVecDraw::WritePixels(int32_t x0, int32_t x1, int32_t y, uint32_t argb)
{
    State& s = *mState;
    if (!s.pixels || y < 0 || y >= s.height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, s.width);
    if (x0 >= x1)
        return;
    uint32_t* row = s.pixels + size_t(y) * s.pitch;
    if (s.overwrite) {
        std::fill(row + x0, row + x1, argb);
        return;
    }
    const uint32_t a = argb >> 24, keep = 255 - a;
    for (int32_t x = x0; x < x1; ++x) {
        const uint32_t d = row[x];
        uint32_t out = d & 0xFF000000u;
        for (int32_t shift = 0; shift < 24; shift += 8) {
            const uint32_t channel = (((d >> shift) & 0xFF) * keep + ((argb >> shift) & 0xFF) * a) / 255;
            out |= channel << shift;
        }
        row[x] = out;
    }
}

void TDnMiniVecDraw::SendBatch()
{
    State& s = *mState;
    if (s.used == 0)
        return;
    s.list->SetCount(s.used);
    TRenderer::Get()->DrawVertices(kPrimitiveLineList, *s.list);
    s.used = 0;
    ++s.stats.batches;
}

void TDnMiniVecDraw::ReleaseTarget()
{
    State& s = *mState;
    if (s.pixels) {
        s.target->Unlock();
        GetDisplayHost().Invalidate();
    }
    s.pixels = nullptr;
    s.target.reset();
}

void TDnMiniVecDraw::Flush()
{
    SendBatch();
    if (mState->target)
        ReleaseTarget();
}

// Draws every setting's two test lines into a new texture and judges them;
// false when the test could not be drawn.
bool TDnMiniVecDraw::RunCalibration(int32_t& blanks)
{
    State& s = *mState;
    s.setting = -1;
    TRenderer* renderer = TRenderer::Get();
    TTextureRef picture = TTexture::CreateRenderTarget(kCalibrationWidth, kCalibrationHeight, false);
    if (!picture || !renderer->BeginRenderToTexture(picture, 0))
        return false;
    const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    renderer->FillRect(TRect(0, 0, int32_t(kCalibrationWidth), 4), black);
    if (renderer->Begin2d()) {
        SetColour(0, white, 1);
        Begin(0, 0, TTextureRef());
        const uint32_t colour = s.colours.singleRow[0][3].argb;
        for (int32_t i = 0; i < kCalibrationSettings; ++i) {
            const TCalibrationSetting setting = CalibrationSetting(i);
            s.offsets = {setting.start, setting.end, setting.y};
            int32_t x1, y1, x2, y2;
            CalibrationTargets(i, x1, y1, x2, y2);
            Output(x1, x1 + 1, y1, colour);
            Output(x2, x2 + 1, y2, colour);
        }
        Flush();
        renderer->End2d();
    }
    renderer->EndRenderToTexture();
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    const TTextureData& data = *picture->GetData();
    if (data.mSurfaceWidth < kCalibrationWidth || data.mSurfaceHeight < 4 || !picture->Lock(pixels, pitch))
        return false;
    const TCalibrationJudgement judged = JudgeCalibration(pixels, pitch);
    picture->Unlock();
    blanks = judged.blanks;
    s.setting = judged.chosen;
    return true;
}

void TDnMiniVecDraw::Calibrate()
{
    State& s = *mState;
    for (;;) {
        int32_t blanks = 0;
        const bool drawn = RunCalibration(blanks);
        if (s.setting >= 0) {
            const TCalibrationSetting chosen = CalibrationSetting(s.setting);
            s.offsets = {chosen.start, chosen.end, chosen.y};
            WriteLog("Glyph rasteriser: line offsets %.2f, %.2f, %.2f (setting %d)", double(chosen.start),
                     double(chosen.end), double(chosen.y), s.setting);
            return;
        }
        s.offsets = TLineOffsets();
        if (drawn && blanks > kMostBlanks && s.capacity != kSmallBatch) {
            WriteLog("Glyph rasteriser: %d of %d test lines blank, trying again with batches of %u", blanks,
                     kCalibrationSettings, kSmallBatch);
            s.capacity = kSmallBatch;
            continue;
        }
        WriteLog("Glyph rasteriser: no line offsets passed%s, using -0.75, -0.75, 0.25",
                 drawn ? "" : " (the test could not be drawn)");
        return;
    }
}

TDnMiniVecDraw::TLineOffsets TDnMiniVecDraw::GetLineOffsets() const
{
    return mState->offsets;
}

int32_t TDnMiniVecDraw::GetCalibrationSetting() const
{
    return mState->setting;
}

uint32_t TDnMiniVecDraw::GetBatchCapacity() const
{
    return mState->capacity;
}

TDnMiniVecDraw::TStats TDnMiniVecDraw::GetStats() const
{
    TStats stats = mState->stats;
    stats.cacheBytes = mState->cache.GetBytes();
    stats.cacheCap = mState->cache.GetCap();
    stats.cacheClears = mState->cache.GetClearCount();
    stats.edgeCapacity = mState->scan.GetEdgeCapacity();
    return stats;
}
