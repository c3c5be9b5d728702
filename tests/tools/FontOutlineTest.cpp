// The font generator's outline steps: contours grouped into even-odd shapes,
// and curves written as commands, cubic ones as quadratics close to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FontOutline.h"
#include "render/VecFont.h"

using namespace font_outline;

namespace {

// A rectangle, counter-clockwise (positive area, y up) or clockwise.
Contour Rect(double x0, double y0, double x1, double y1, bool positive)
{
    Contour c;
    c.start = {x0, y0};
    if (positive)
        c.segments = {{Segment::kLine, {}, {}, {x1, y0}},
                      {Segment::kLine, {}, {}, {x1, y1}},
                      {Segment::kLine, {}, {}, {x0, y1}},
                      {Segment::kLine, {}, {}, {x0, y0}}};
    else
        c.segments = {{Segment::kLine, {}, {}, {x0, y1}},
                      {Segment::kLine, {}, {}, {x1, y1}},
                      {Segment::kLine, {}, {}, {x1, y0}},
                      {Segment::kLine, {}, {}, {x0, y0}}};
    return c;
}

// Mirrored left to right: the winding turns round.
void Mirror(Contour& c)
{
    c.start.x = -c.start.x;
    for (Segment& s : c.segments)
        s.to.x = -s.to.x;
}

std::vector<TGlyphCommand> Read(const mvec::TCommands& commands)
{
    TGlyphCommandReader reader({commands.Bytes().data(), commands.Bytes().size(), 0});
    std::vector<TGlyphCommand> out;
    TGlyphCommand c;
    while (reader.Next(c))
        out.push_back(c);
    EXPECT_FALSE(reader.IsDamaged());
    return out;
}

Point CubicAt(const Point p[4], double t)
{
    double u = 1 - t;
    return {u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x,
            u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y};
}

// Distance from a point to a polyline.
double Distance(Point a, const std::vector<Point>& line)
{
    double best = INFINITY;
    for (size_t i = 1; i < line.size(); ++i) {
        Point p = line[i - 1], q = line[i];
        double dx = q.x - p.x, dy = q.y - p.y, length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? std::clamp(((a.x - p.x) * dx + (a.y - p.y) * dy) / length2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(a.x - p.x - t * dx, a.y - p.y - t * dy));
    }
    return best;
}

} // namespace

TEST(FontOutline, HolesGoWithTheSmallestOuterContourAroundThem)
{
    struct Case {
        const char* name;
        std::vector<Contour> contours;
        std::vector<std::vector<size_t>> shapes;
    };
    const Case cases[] = {
        {"a ring", {Rect(0, 0, 100, 100, true), Rect(20, 20, 80, 80, false)}, {{0, 1}}},
        {"overlapping outers fill separately", {Rect(0, 0, 60, 60, true), Rect(40, 40, 100, 100, true)}, {{0}, {1}}},
        {"a ring inside a ring",
         {Rect(0, 0, 100, 100, true), Rect(10, 10, 90, 90, false), Rect(20, 20, 80, 80, true),
          Rect(30, 30, 70, 70, false)},
         {{0, 1}, {2, 3}}},
        {"two rings side by side",
         {Rect(0, 0, 40, 40, true), Rect(60, 0, 100, 40, true), Rect(70, 10, 90, 30, false),
          Rect(10, 10, 30, 30, false)},
         {{0, 3}, {1, 2}}},
        {"a hole before its outer", {Rect(20, 20, 80, 80, false), Rect(0, 0, 100, 100, true)}, {{1, 0}}},
        {"no outer contour: one shape", {Rect(0, 0, 10, 10, false), Rect(20, 0, 30, 10, false)}, {{0, 1}}},
    };
    for (const Case& c : cases) {
        for (bool positive : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (positive ? ", outer contours counter-clockwise" : ", clockwise"));
            std::vector<Contour> contours = c.contours;
            for (Contour& contour : contours) {
                if (!positive)
                    Mirror(contour);
                Flatten(contour);
            }
            EXPECT_EQ(GroupShapes(contours, positive), c.shapes);
        }
    }
}

TEST(FontOutline, LinesAndQuadraticsAreWrittenAsTheyAre)
{
    Contour c;
    c.start = {0, 0};
    c.segments = {{Segment::kLine, {}, {}, {128, 256}}, {Segment::kQuad, {256, 512}, {}, {384, -128}}};
    mvec::TCommands out;
    Converter converter(0.5, out);
    converter.Write(c);
    std::vector<TGlyphCommand> read = Read(out.End());
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].opcode, kGlyphMove);
    EXPECT_EQ(read[1].opcode, kGlyphLine);
    EXPECT_FLOAT_EQ(read[1].x, 64);
    EXPECT_FLOAT_EQ(read[1].y, -128); // y flipped
    EXPECT_EQ(read[2].opcode, kGlyphCurve);
    EXPECT_FLOAT_EQ(read[2].cx, 128);
    EXPECT_FLOAT_EQ(read[2].cy, -256);
    EXPECT_FLOAT_EQ(read[2].x, 192);
    EXPECT_FLOAT_EQ(read[2].y, 64);
    // The box around every point written, control points included.
    EXPECT_FLOAT_EQ(converter.GetBox().left, 0);
    EXPECT_FLOAT_EQ(converter.GetBox().right, 192);
    EXPECT_FLOAT_EQ(converter.GetBox().top, -256);
    EXPECT_FLOAT_EQ(converter.GetBox().bottom, 64);
}

// Each cubic becomes a chain of quadratics from its start to its end that
// stays within the tolerance of it, both ways.
TEST(FontOutline, CubicsBecomeQuadraticsWithinTheTolerance)
{
    struct Case {
        const char* name;
        Point p[4];
        size_t minPieces, maxPieces;
    };
    const Case cases[] = {
        {"straight", {{0, 0}, {300, 300}, {600, 600}, {900, 900}}, 1, 1},
        {"quadratic in disguise", {{0, 0}, {400, 800}, {800, 800}, {1200, 0}}, 1, 1},
        {"quarter circle", {{0, 0}, {0, 552}, {448, 1000}, {1000, 1000}}, 1, 4},
        {"S curve", {{0, 0}, {1000, 0}, {0, 1000}, {1000, 1000}}, 2, 8},
        {"loop", {{0, 0}, {1500, 1000}, {-500, 1000}, {1000, 0}}, 2, 16},
        {"cusp", {{0, 0}, {1000, 1000}, {0, 1000}, {1000, 0}}, 2, 16},
    };
    constexpr double kScale = 0.05; // a face of 2,000 units to 100 font units
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Contour contour;
        contour.start = c.p[0];
        contour.segments = {{Segment::kCubic, c.p[1], c.p[2], c.p[3]}};
        mvec::TCommands out;
        Converter(kScale, out).Write(contour);
        std::vector<TGlyphCommand> read = Read(out.End());
        ASSERT_GE(read.size(), 1 + c.minPieces);
        ASSERT_LE(read.size(), 1 + c.maxPieces);

        std::vector<Point> cubic, written;
        for (int i = 0; i <= 1000; ++i) {
            Point p = CubicAt(c.p, i / 1000.0);
            cubic.push_back({p.x * kScale, -p.y * kScale});
        }
        Point from = {read[0].x, read[0].y};
        EXPECT_NEAR(from.x, cubic.front().x, 1.0 / 128);
        EXPECT_NEAR(from.y, cubic.front().y, 1.0 / 128);
        for (size_t i = 1; i < read.size(); ++i) {
            ASSERT_EQ(read[i].opcode, kGlyphCurve);
            for (int k = i == 1 ? 0 : 1; k <= 400; ++k) {
                double t = k / 400.0, u = 1 - t;
                written.push_back({u * u * from.x + 2 * u * t * read[i].cx + t * t * read[i].x,
                                   u * u * from.y + 2 * u * t * read[i].cy + t * t * read[i].y});
            }
            from = {read[i].x, read[i].y};
        }
        EXPECT_NEAR(from.x, cubic.back().x, 1.0 / 128);
        EXPECT_NEAR(from.y, cubic.back().y, 1.0 / 128);
        // The tolerance and the 1/128 grid.
        const double allowed = kCubicTolerance * kScale + 0.02;
        double worst = 0;
        for (const Point& p : written)
            worst = std::max(worst, Distance(p, cubic));
        for (size_t i = 0; i < cubic.size(); ++i)
            worst = std::max(worst, Distance(cubic[i], written));
        EXPECT_LT(worst, allowed);
    }
}
