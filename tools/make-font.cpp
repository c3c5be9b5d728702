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
#include <string>
#include <vector>

#include "FontOutline.h"
#include "support/MvecWriter.h"
#include "support/SyntheticFont.h"

namespace {

using namespace font_outline;

// The characters every face gives what it has of.
const std::pair<uint32_t, uint32_t> kRanges[] = {
    {0x20, 0x7E},     // ASCII
    {0xA0, 0x17F},    // Latin-1 and Latin Extended-A
    {0x192, 0x192},   // florin (code page 1252 has it)
    {0x2C6, 0x2DD},   // spacing accents, with 1252's circumflex and tilde
    {0x2010, 0x2044}, // general punctuation
    {0x20AC, 0x20AC}, // euro
    {0x2122, 0x2122}, // trade mark
    {0x2150, 0x218B}, // number forms: fractions, Roman numerals
};

constexpr float kLineUnits = 100; // ascent + descent

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
