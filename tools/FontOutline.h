#pragma once
// Glyph outlines on their way from a font face to .mvec commands: contours of
// lines and quadratic and cubic curves in face units (y up), grouped into
// shapes so that each shape fills even-odd, and written as commands in font
// units (y down) with cubic curves split into quadratic ones.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "support/MvecWriter.h"

namespace font_outline {

// Largest distance, in face units, between a cubic curve and the quadratic
// ones written for it.
constexpr double kCubicTolerance = 2;
// More outer contours than this stay in one shape.
constexpr size_t kMaxShapes = 200;

struct Point {
    double x, y;
};

// One outline segment in face units: a line (control unused), a quadratic
// curve, or a cubic one (two controls).
struct Segment {
    enum Kind { kLine, kQuad, kCubic } kind;
    Point c1, c2, to;
};

struct Contour {
    Point start;
    std::vector<Segment> segments;
    std::vector<Point> polygon; // flattened, for orientation and containment
    double area = 0;            // signed, y up
};

inline Point Lerp(Point a, Point b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// Fills in the polygon and the signed area.
inline void Flatten(Contour& c)
{
    Point from = c.start;
    c.polygon.assign(1, from);
    for (const Segment& s : c.segments) {
        for (int i = 1; i <= 4; ++i) {
            double t = i / 4.0;
            Point p = s.to;
            if (s.kind == Segment::kQuad)
                p = Lerp(Lerp(from, s.c1, t), Lerp(s.c1, s.to, t), t);
            else if (s.kind == Segment::kCubic) {
                Point a = Lerp(from, s.c1, t), b = Lerp(s.c1, s.c2, t), d = Lerp(s.c2, s.to, t);
                p = Lerp(Lerp(a, b, t), Lerp(b, d, t), t);
            }
            if (s.kind != Segment::kLine || i == 4)
                c.polygon.push_back(p);
        }
        from = s.to;
    }
    double area = 0;
    for (size_t i = 0, n = c.polygon.size(); i < n; ++i) {
        const Point& a = c.polygon[i];
        const Point& b = c.polygon[(i + 1) % n];
        area += a.x * b.y - b.x * a.y;
    }
    c.area = area / 2;
}

inline bool Inside(const std::vector<Point>& polygon, Point p)
{
    bool in = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

// Whether most points of `inner` lie inside `outer`.
inline bool Contains(const Contour& outer, const Contour& inner)
{
    size_t in = 0;
    for (const Point& p : inner.polygon)
        in += Inside(outer.polygon, p);
    return in * 2 > inner.polygon.size();
}

// Contours grouped into shapes: each outer contour (wound like the glyph as
// a whole) with the holes whose smallest enclosing outer contour it is.
inline std::vector<std::vector<size_t>> GroupShapes(const std::vector<Contour>& contours, bool outerPositive)
{
    std::vector<size_t> outers;
    for (size_t i = 0; i < contours.size(); ++i)
        if ((contours[i].area > 0) == outerPositive)
            outers.push_back(i);
    if (outers.empty() || outers.size() > kMaxShapes) {
        std::vector<size_t> all(contours.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        return {all};
    }
    std::vector<std::vector<size_t>> shapes;
    for (size_t o : outers)
        shapes.push_back({o});
    for (size_t i = 0; i < contours.size(); ++i) {
        if ((contours[i].area > 0) == outerPositive)
            continue;
        size_t best = 0;
        double bestArea = -1;
        for (size_t k = 0; k < outers.size(); ++k) {
            const Contour& outer = contours[outers[k]];
            double area = std::fabs(outer.area);
            if (Contains(outer, contours[i]) && (bestArea < 0 || area < bestArea)) {
                best = k;
                bestArea = area;
            }
        }
        shapes[best].push_back(i);
    }
    return shapes;
}

struct Box {
    float left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
};

// Writes contours as commands in font units.
class Converter {
public:
    Converter(double scale, mvec::TCommands& out) : mScale(scale), mOut(out) {}

    void Write(const Contour& c)
    {
        Point from = c.start;
        mOut.Move(X(from), Y(from));
        for (const Segment& s : c.segments) {
            if (s.kind == Segment::kLine)
                mOut.Line(X(s.to), Y(s.to));
            else if (s.kind == Segment::kQuad)
                mOut.Curve(X(s.c1), Y(s.c1), X(s.to), Y(s.to));
            else
                Cubic(from, s.c1, s.c2, s.to);
            from = s.to;
        }
    }
    const Box& GetBox() const { return mBox; }

private:
    // Font units, and the box around every point written.
    float X(Point p)
    {
        float x = float(p.x * mScale);
        mBox.left = std::min(mBox.left, x);
        mBox.right = std::max(mBox.right, x);
        return x;
    }
    float Y(Point p)
    {
        float y = float(-p.y * mScale);
        mBox.top = std::min(mBox.top, y);
        mBox.bottom = std::max(mBox.bottom, y);
        return y;
    }

    // Split into n pieces, each drawn as the quadratic that meets the
    // piece's ends and tangents halfway; n is chosen from the cubic's third
    // difference so that the error stays below the tolerance.
    void Cubic(Point p0, Point p1, Point p2, Point p3)
    {
        double dx = p3.x - 3 * p2.x + 3 * p1.x - p0.x;
        double dy = p3.y - 3 * p2.y + 3 * p1.y - p0.y;
        double error = std::sqrt(3.0) / 36 * std::hypot(dx, dy);
        int n = 1;
        while (n < 16 && error / (double(n) * n * n) > kCubicTolerance)
            ++n;
        for (int i = 0; i < n; ++i) {
            // The piece from t = i/n to (i+1)/n, by de Casteljau twice.
            double t0 = double(i) / n, t1 = double(i + 1) / n;
            Point q[4];
            Piece(p0, p1, p2, p3, t0, t1, q);
            Point control = {(3 * (q[1].x + q[2].x) - q[0].x - q[3].x) / 4,
                             (3 * (q[1].y + q[2].y) - q[0].y - q[3].y) / 4};
            mOut.Curve(X(control), Y(control), X(q[3]), Y(q[3]));
        }
    }

    static void Split(const Point p[4], double t, Point left[4], Point right[4])
    {
        Point a = Lerp(p[0], p[1], t), b = Lerp(p[1], p[2], t), c = Lerp(p[2], p[3], t);
        Point d = Lerp(a, b, t), e = Lerp(b, c, t), f = Lerp(d, e, t);
        Point l[4] = {p[0], a, d, f}, r[4] = {f, e, c, p[3]};
        std::memcpy(left, l, sizeof l);
        std::memcpy(right, r, sizeof r);
    }

    static void Piece(Point p0, Point p1, Point p2, Point p3, double t0, double t1, Point out[4])
    {
        Point whole[4] = {p0, p1, p2, p3}, before[4], after[4];
        Split(whole, t0, before, after);
        Split(after, (t1 - t0) / (1 - t0), out, before);
    }

    double mScale;
    mvec::TCommands& mOut;
    Box mBox;
};

} // namespace font_outline
