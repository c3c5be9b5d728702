// Makes our .mvec vector fonts from free TrueType and OpenType faces with
// FreeType, and the built-in font as a C++ header.
//
//   make_font FACE OUT.mvec               a font file
//   make_font --header NAME FACE OUT.h    the font as an array NAME
//   make_font --synthetic OUT.mvec        the small test font of known metrics
//
// Units: the face is scaled so that the top of "W" plus the deepest ink
// below the baseline among the ASCII characters (the underscore excepted)
// makes 100 font units; y grows downwards. Each outer contour starts a shape
// of its own, with the holes that lie inside it, so that overlapping
// contours add up under the even-odd fill of each shape. Quadratic curves are
// written as they are; cubic ones are split into quadratics.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/MvecWriter.h"
#include "support/SyntheticFont.h"

namespace {

// The characters every face gives what it has of.
const std::pair<uint32_t, uint32_t> kRanges[] = {
    {0x20, 0x7E},     // ASCII
    {0xA0, 0x17F},    // Latin-1 and Latin Extended-A
    {0x2010, 0x2044}, // general punctuation
    {0x20AC, 0x20AC}, // euro
    {0x2122, 0x2122}, // trade mark
    {0x2153, 0x215E}, // vulgar fractions
};

constexpr float kLineUnits = 100;      // ascent + descent
constexpr double kCubicTolerance = 2;  // face units (about 0.1 font units)
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

Point At(const FT_Vector* v)
{
    return {double(v->x), double(v->y)};
}

struct Collector {
    std::vector<Contour> contours;

    static int MoveTo(const FT_Vector* to, void* user)
    {
        auto* self = static_cast<Collector*>(user);
        self->contours.push_back({At(to), {}, {}, 0});
        return 0;
    }
    static int LineTo(const FT_Vector* to, void* user)
    {
        return static_cast<Collector*>(user)->Add({Segment::kLine, {}, {}, At(to)});
    }
    static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
    {
        return static_cast<Collector*>(user)->Add({Segment::kQuad, At(control), {}, At(to)});
    }
    static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
    {
        return static_cast<Collector*>(user)->Add({Segment::kCubic, At(c1), At(c2), At(to)});
    }
    int Add(const Segment& s)
    {
        if (contours.empty())
            return 1;
        contours.back().segments.push_back(s);
        return 0;
    }
};

Point Lerp(Point a, Point b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

void Flatten(Contour& c)
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

bool Inside(const std::vector<Point>& polygon, Point p)
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
bool Contains(const Contour& outer, const Contour& inner)
{
    size_t in = 0;
    for (const Point& p : inner.polygon)
        in += Inside(outer.polygon, p);
    return in * 2 > inner.polygon.size();
}

// Contours grouped into shapes: each outer contour (wound like the glyph as
// a whole) with the holes whose smallest enclosing outer contour it is.
std::vector<std::vector<size_t>> GroupShapes(const std::vector<Contour>& contours, bool outerPositive)
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

class Face {
public:
    explicit Face(const char* path)
    {
        if (FT_Init_FreeType(&mLibrary) != 0) {
            mLibrary = nullptr;
            return;
        }
        if (FT_New_Face(mLibrary, path, 0, &mFace) != 0)
            mFace = nullptr;
    }
    ~Face()
    {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    bool IsOpen() const { return mFace != nullptr; }

    // The glyph of a character loaded unscaled, or false when the face has
    // none (or it does not load).
    bool Load(uint32_t code)
    {
        FT_UInt index = FT_Get_Char_Index(mFace, code);
        return index != 0 && FT_Load_Glyph(mFace, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0 &&
               mFace->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
    }
    FT_GlyphSlot Slot() const { return mFace->glyph; }

private:
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

// Face units per font unit: "W"'s top plus the deepest ASCII ink below the
// baseline, underscore excepted, make kLineUnits.
double ChooseScale(Face& face)
{
    double top = 0, bottom = 0;
    for (uint32_t code = 0x20; code < 0x7F; ++code) {
        if (!face.Load(code))
            continue;
        FT_BBox box;
        FT_Outline_Get_CBox(&face.Slot()->outline, &box);
        if (code == 'W')
            top = double(box.yMax);
        if (code != '_' && face.Slot()->outline.n_points > 0)
            bottom = std::max(bottom, -double(box.yMin));
    }
    return top + bottom > 0 ? kLineUnits / (top + bottom) : 0;
}

bool Convert(Face& face, uint32_t code, double scale, mvec::TGlyph& glyph)
{
    if (!face.Load(code))
        return false;
    FT_GlyphSlot slot = face.Slot();
    FT_Outline& outline = slot->outline;
    glyph = {};
    glyph.code = code;
    glyph.advance = float(double(slot->metrics.horiAdvance) * scale);

    Collector collector;
    FT_Outline_Funcs funcs{};
    funcs.move_to = Collector::MoveTo;
    funcs.line_to = Collector::LineTo;
    funcs.conic_to = Collector::ConicTo;
    funcs.cubic_to = Collector::CubicTo;
    if (outline.n_points > 0 && FT_Outline_Decompose(&outline, &funcs, &collector) != 0) {
        std::fprintf(stderr, "make_font: U+%04X: outline does not decompose\n", code);
        return false;
    }
    mvec::TCommands commands;
    if (!collector.contours.empty()) {
        for (Contour& c : collector.contours)
            Flatten(c);
        // The largest contour is an outer one: its winding tells outer from hole.
        const Contour* largest = &collector.contours[0];
        for (const Contour& c : collector.contours)
            if (std::fabs(c.area) > std::fabs(largest->area))
                largest = &c;
        bool outerPositive = largest->area > 0;
        std::vector<std::vector<size_t>> shapes = GroupShapes(collector.contours, outerPositive);
        Converter converter(scale, commands);
        for (size_t s = 0; s < shapes.size(); ++s) {
            if (shapes.size() > 1)
                commands.Shape();
            commands.LeftFill(1);
            for (size_t i : shapes[s])
                converter.Write(collector.contours[i]);
        }
        // The ink box: the control box of the outline as written (for
        // quadratic outlines, the face's own control box).
        const Box& box = converter.GetBox();
        glyph.left = box.left;
        glyph.right = box.right;
        glyph.top = box.top;
        glyph.bottom = box.bottom;
    }
    commands.End();
    if (commands.Overflowed()) {
        std::fprintf(stderr, "make_font: U+%04X: outline outside the coordinate range\n", code);
        return false;
    }
    glyph.commands = commands.Bytes();
    return true;
}

// Written beside the target and renamed, so a failed run leaves no half file.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string temporary = path + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temporary.c_str());
    return false;
}

bool WriteHeader(const std::string& path, const std::string& name, const std::string& face,
                 const std::vector<uint8_t>& bytes)
{
    std::string text = "// Generated by make_font from " + face + ". Do not edit.\n#pragma once\n"
                       "#include <cstdint>\n\ninline constexpr uint8_t " +
                       name + "[" + std::to_string(bytes.size()) + "] = {";
    char number[16];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(number, sizeof number, "%s%u,", i % 20 ? "" : "\n    ", unsigned(bytes[i]));
        text += number;
    }
    text += "\n};\n";
    std::vector<uint8_t> out(text.begin(), text.end());
    return WriteFile(path, out);
}

int Usage()
{
    std::fprintf(stderr, "usage: make_font FACE OUT.mvec\n"
                         "       make_font --header NAME FACE OUT.h\n"
                         "       make_font --synthetic OUT.mvec\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--synthetic")
        return WriteFile(args[1], synthetic_font::Bytes()) ? 0 : 1;
    std::string header;
    if (args.size() == 4 && args[0] == "--header") {
        header = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2 || args[0].empty() || args[0][0] == '-')
        return Usage();

    Face face(args[0].c_str());
    if (!face.IsOpen()) {
        std::fprintf(stderr, "make_font: cannot open the face %s\n", args[0].c_str());
        return 1;
    }
    double scale = ChooseScale(face);
    if (scale <= 0) {
        std::fprintf(stderr, "make_font: %s has no \"W\" to measure\n", args[0].c_str());
        return 1;
    }
    std::vector<mvec::TGlyph> glyphs;
    for (const auto& range : kRanges) {
        for (uint32_t code = range.first; code <= range.second; ++code) {
            mvec::TGlyph glyph;
            if (Convert(face, code, scale, glyph))
                glyphs.push_back(std::move(glyph));
        }
    }
    mvec::TWriteResult font = mvec::WriteFont(glyphs);
    if (font.bytes.empty() || font.overflow) {
        std::fprintf(stderr, "make_font: the font does not fit the format\n");
        return 1;
    }
    std::string faceName = args[0].substr(args[0].find_last_of('/') + 1);
    bool written = header.empty() ? WriteFile(args[1], font.bytes)
                                  : WriteHeader(args[1], header, faceName, font.bytes);
    if (!written) {
        std::fprintf(stderr, "make_font: cannot write %s\n", args[1].c_str());
        return 1;
    }
    std::printf("make_font: %s: %zu glyphs, %zu bytes\n", args[1].c_str(), glyphs.size(), font.bytes.size());
    return 0;
}
