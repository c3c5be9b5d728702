#include "render/GlyphScan.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kFirstCapacity = 512;
// Shape numbers: 0 and 1 are the stroke passes, fills start at 2.
constexpr uint8_t kFirstFillShape = 2;
constexpr uint8_t kLastShape = 255;

int32_t FloorDiv4(int32_t v)
{
    return v >= 0 ? v / 4 : -((3 - v) / 4);
}

// The first sub-scanline whose centre lies at or below y.
int32_t SubScanline(float y)
{
    return int32_t(std::ceil(y - 0.5f));
}

// The first quarter-pixel sample whose centre lies at or right of x.
int32_t Sample(float x)
{
    return int32_t(std::ceil(x - 0.5f));
}

} // namespace

TGlyphScan::TGlyphScan() : mCapacity(kFirstCapacity)
{
    mEdges.reserve(mCapacity);
    for (int32_t layer = 0; layer < 4; ++layer) {
        mCoverage[layer].assign(size_t(kRowPixels) + 2, 0);
        mLow[layer] = kRowPixels;
        mHigh[layer] = -1;
    }
}

TGlyphScan::Point TGlyphScan::Place(Point p) const
{
    if (mPlace.italic)
        p.x -= p.y / 3.0f;
    float x = p.x * mPlace.scaleX, y = p.y * mPlace.scaleY;
    if (mPlace.sine != 0 || mPlace.cosine != 1) {
        float turned = x * mPlace.cosine - y * mPlace.sine;
        y = x * mPlace.sine + y * mPlace.cosine;
        x = turned;
    }
    return {x + float(mPlace.subX), y + float(mPlace.subY)};
}

void TGlyphScan::AddEdge(Point from, Point to, uint8_t style, uint8_t shape)
{
    if (mRefused)
        return;
    Point a = Place(from), b = Place(to);
    for (float v : {a.x, a.y, b.x, b.y}) {
        if (!(std::fabs(v) <= kGlyphReach)) {
            mRefused = true;
            return;
        }
    }
    const bool up = b.y < a.y;
    if (up)
        std::swap(a, b);
    Edge e;
    e.first = SubScanline(a.y);
    e.last = SubScanline(b.y);
    if (e.first >= e.last)
        return;
    if (mEdges.size() >= kMaxGlyphEdges) {
        mRefused = true;
        return;
    }
    if (mEdges.size() == mCapacity) {
        mCapacity *= 2;
        mEdges.reserve(mCapacity);
    }
    e.x0 = a.x;
    e.y0 = a.y;
    e.slope = (b.x - a.x) / (b.y - a.y);
    e.x = a.x;
    e.shape = shape;
    e.style = shape < kFirstFillShape ? uint8_t(up ? 1 : 0) : style;
    if (mEdges.empty()) {
        mFirst = e.first;
        mLast = e.last;
        mMinX = std::min(a.x, b.x);
        mMaxX = std::max(a.x, b.x);
    } else {
        mFirst = std::min(mFirst, e.first);
        mLast = std::max(mLast, e.last);
        mMinX = std::min({mMinX, a.x, b.x});
        mMaxX = std::max({mMaxX, a.x, b.x});
    }
    mEdges.push_back(e);
}

// The segment widened by width pixels on every side: pointed at both ends
// (pushed out along the segment), flat along its sides. Every band winds the
// same way, so overlapping bands join under the non-zero rule.
void TGlyphScan::StrokeBand(Point from, Point to, float width, uint8_t pass)
{
    const float dx = (to.x - from.x) * mPlace.scaleX, dy = (to.y - from.y) * mPlace.scaleY;
    const float length = std::hypot(dx, dy);
    if (!(length > 1e-6f))
        return;
    const float reach = width * 4.0f / length;
    const Point along{dx * reach / mPlace.scaleX, dy * reach / mPlace.scaleY};
    const Point across{-dy * reach / mPlace.scaleX, dx * reach / mPlace.scaleY};
    const Point band[6] = {
        {from.x - along.x, from.y - along.y},   {from.x + across.x, from.y + across.y},
        {to.x + across.x, to.y + across.y},     {to.x + along.x, to.y + along.y},
        {to.x - across.x, to.y - across.y},     {from.x - across.x, from.y - across.y},
    };
    for (int32_t i = 0; i < 6; ++i)
        AddEdge(band[i], band[(i + 1) % 6], 0, pass);
}

void TGlyphScan::Segment(Point from, Point to, uint8_t style, uint8_t shape)
{
    for (uint8_t pass = 0; pass < 2 && mPlace.strokes[pass] != 0; ++pass)
        StrokeBand(from, to, mPlace.strokes[pass], pass);
    AddEdge(from, to, style, shape);
}

// A quadratic curve as three straight segments, ending at t = 1/3, 2/3, 1.
void TGlyphScan::Curve(Point from, Point control, Point to, uint8_t style, uint8_t shape)
{
    Point at = from;
    for (int32_t i = 1; i <= 3; ++i) {
        const float t = float(i) / 3.0f, u = 1 - t;
        const Point p = i == 3 ? to
                               : Point{u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                                       u * u * from.y + 2 * u * t * control.y + t * t * to.y};
        Segment(at, p, style, shape);
        at = p;
    }
}

bool TGlyphScan::Build(TGlyphCommands commands, const TGlyphPlacement& placement,
                       std::vector<TGlyphColour>& colours, TGlyphProblem& problem)
{
    mPlace = placement;
    mEdges.clear();
    mRefused = false;
    mTopShape = kFirstFillShape;
    problem = TGlyphProblem::None;
    for (float v : {placement.scaleX, placement.scaleY, placement.cosine, placement.sine, placement.strokes[0],
                    placement.strokes[1]}) {
        if (!std::isfinite(v)) {
            problem = TGlyphProblem::TooLarge;
            return false;
        }
    }
    if (placement.scaleX == 0 || placement.scaleY == 0)
        return true; // nothing to see

    uint8_t shape = kFirstFillShape, left = 0, right = 0;
    int32_t colourCount = 0, colourBase = 0;
    auto slotOf = [&](uint8_t style) { return style ? uint8_t(std::min(255, style + colourBase)) : uint8_t(0); };
    Point at{0, 0};
    TGlyphCommandReader reader(commands);
    TGlyphCommand c;
    while (!mRefused && reader.Next(c)) {
        const Point to{c.x, c.y};
        switch (c.opcode) {
        case kGlyphShape:
            shape = shape < kLastShape ? uint8_t(shape + 1) : kLastShape;
            left = right = 0;
            colourBase = colourCount;
            break;
        case kGlyphLeftFill:
            left = slotOf(c.style);
            break;
        case kGlyphRightFill:
            right = slotOf(c.style);
            break;
        case kGlyphMove:
            at = to;
            break;
        case kGlyphLine:
            Segment(at, to, left ? left : right, shape);
            at = to;
            break;
        case kGlyphCurve:
            Curve(at, {c.cx, c.cy}, to, left ? left : right, shape);
            at = to;
            break;
        case kGlyphColour:
            if (colourCount < 255) {
                ++colourCount;
                colours.push_back({uint8_t(colourCount), {c.rgb[0], c.rgb[1], c.rgb[2]}});
            }
            break;
        default:
            break;
        }
        mTopShape = std::max(mTopShape, shape);
    }
    if (mRefused) {
        problem = mEdges.size() >= kMaxGlyphEdges ? TGlyphProblem::TooComplex : TGlyphProblem::TooLarge;
        mEdges.clear();
        return false;
    }
    if (reader.IsDamaged())
        problem = TGlyphProblem::Damaged;
    return true;
}

void TGlyphScan::Activate(int32_t line, size_t& next)
{
    // Edges that ended leave; edges starting here join.
    size_t kept = 0;
    for (uint32_t i : mActive)
        if (mEdges[i].last > line)
            mActive[kept++] = i;
    mActive.resize(kept);
    while (next < mOrder.size() && mEdges[mOrder[next]].first == line)
        mActive.push_back(mOrder[next++]);
    const float centre = float(line) + 0.5f;
    for (uint32_t i : mActive) {
        Edge& e = mEdges[i];
        e.x = e.x0 + (centre - e.y0) * e.slope;
    }
    // Nearly sorted from the last sub-scanline: insertion sort.
    for (size_t i = 1; i < mActive.size(); ++i) {
        uint32_t moving = mActive[i];
        size_t j = i;
        for (; j > 0 && mEdges[mActive[j - 1]].x > mEdges[moving].x; --j)
            mActive[j] = mActive[j - 1];
        mActive[j] = moving;
    }
}

// The slot of the topmost filled shape: fills over the second stroke pass,
// over the first.
uint8_t TGlyphScan::CurrentSlot() const
{
    for (int32_t s = mTopShape; s >= kFirstFillShape; --s)
        if (mShapeSlot[s])
            return mShapeSlot[s];
    if (mStrokeCount[1])
        return 254;
    if (mStrokeCount[0])
        return 255;
    return 0;
}

void TGlyphScan::Walk(const uint8_t slotLayer[256])
{
    mStrokeCount[0] = mStrokeCount[1] = 0;
    std::fill(mShapeSlot, mShapeSlot + mTopShape + 1, uint8_t(0));
    uint8_t slot = 0;
    float from = 0;
    for (uint32_t i : mActive) {
        const Edge& e = mEdges[i];
        if (slot)
            AddSpan(slotLayer[slot], from, e.x);
        if (e.shape < kFirstFillShape)
            mStrokeCount[e.shape] += e.style ? 1 : -1;
        else
            mShapeSlot[e.shape] = mShapeSlot[e.shape] ? 0 : e.style;
        slot = CurrentSlot();
        from = e.x;
    }
}

// Adds the samples from xa to xb (quarter pixels) to the layer's row: two
// difference updates at each end, one per pixel the end's samples share.
void TGlyphScan::AddSpan(uint8_t layer, float xa, float xb)
{
    const int32_t left = mRowLeft * 4, right = left + (kRowPixels - 1) * 4;
    int32_t qa = Sample(xa), qb = Sample(xb);
    if (qb > right) {
        mClipped = true;
        qb = right;
    }
    qa = std::max(qa, left) - left;
    qb -= left;
    if (qa >= qb)
        return;
    std::vector<int16_t>& row = mCoverage[layer & 3];
    const int32_t pa = qa >> 2, ra = qa & 3, pb = qb >> 2, rb = qb & 3;
    row[size_t(pa)] = int16_t(row[size_t(pa)] + 4 - ra);
    row[size_t(pa) + 1] = int16_t(row[size_t(pa) + 1] + ra);
    row[size_t(pb)] = int16_t(row[size_t(pb)] - 4 + rb);
    row[size_t(pb) + 1] = int16_t(row[size_t(pb) + 1] - rb);
    mLow[layer & 3] = std::min(mLow[layer & 3], pa);
    mHigh[layer & 3] = std::max(mHigh[layer & 3], pb + 1);
}

// Sums each touched layer's differences into coverage and hands out the
// runs of equal coverage, clearing the row.
void TGlyphScan::EmitRow(int32_t row, TGlyphRunSink& sink)
{
    for (uint8_t layer = 0; layer < 4; ++layer) {
        if (mHigh[layer] < 0)
            continue;
        std::vector<int16_t>& diff = mCoverage[layer];
        int32_t coverage = 0, runStart = 0;
        for (int32_t i = mLow[layer]; i <= mHigh[layer]; ++i) {
            const int32_t next = coverage + diff[size_t(i)];
            diff[size_t(i)] = 0;
            if (next != coverage) {
                if (coverage > 0)
                    sink.Run(mRowLeft + runStart, mRowLeft + i, row, uint8_t(std::min(coverage, 254)), layer);
                runStart = i;
                coverage = next;
            }
        }
        mLow[layer] = kRowPixels;
        mHigh[layer] = -1;
    }
}

TGlyphProblem TGlyphScan::Scan(const uint8_t slotLayer[256], TGlyphRunSink& sink)
{
    mClipped = false;
    if (mEdges.empty())
        return TGlyphProblem::None;
    mRowLeft = int32_t(std::floor(mMinX / 4.0f)) - 1;
    mOrder.resize(mEdges.size());
    for (uint32_t i = 0; i < mOrder.size(); ++i)
        mOrder[i] = i;
    std::stable_sort(mOrder.begin(), mOrder.end(),
                     [this](uint32_t a, uint32_t b) { return mEdges[a].first < mEdges[b].first; });
    mActive.clear();
    size_t next = 0;
    int32_t row = FloorDiv4(mFirst);
    for (int32_t line = mFirst; line < mLast; ++line) {
        if (FloorDiv4(line) != row) {
            EmitRow(row, sink);
            row = FloorDiv4(line);
        }
        Activate(line, next);
        Walk(slotLayer);
    }
    EmitRow(row, sink);
    return mClipped ? TGlyphProblem::TooWide : TGlyphProblem::None;
}
