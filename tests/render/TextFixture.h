#pragma once
// Fonts for the text tests, reached as the layout reaches them: a font
// cache installed as the application installs it, with the synthetic font
// as "fonts/test.mvec", a small fallback font as "fonts/default.mvec" and
// the synthetic font's bytes standing in for the built-in font.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/AssetNames.h"
#include "render/FontCache.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"
#include "render/VecFont.h"
#include "support/MvecWriter.h"
#include "support/SyntheticFont.h"

namespace text_test {

constexpr const char* kFace = "fonts/test.mvec";
constexpr uint32_t kEuro = 0x20AC;

// Ascent 160, descent 40: twice the synthetic font's line units, so a run
// in it has half the scale. It has what the synthetic font lacks: "<",
// ">", "!" and the euro sign (advance 100 each), and "a" (advance 50).
inline std::vector<uint8_t> FallbackBytes()
{
    using mvec::BoxGlyph;
    std::vector<mvec::TGlyph> glyphs = {
        BoxGlyph('!', 100, 0, -160, 100, 0), BoxGlyph('<', 100, 0, -100, 100, 0),
        BoxGlyph('>', 100, 0, -100, 100, 0), BoxGlyph('W', 100, 0, -160, 100, 0),
        BoxGlyph('a', 50, 0, -100, 50, 0),   BoxGlyph('g', 50, 0, -100, 50, 40),
        BoxGlyph(kEuro, 100, 0, -160, 100, 0),
    };
    mvec::SortByCode(glyphs);
    return mvec::WriteFont(glyphs).bytes;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFace = synthetic_font::Bytes();
        mFallback = FallbackBytes();
        mBuiltin = synthetic_font::Bytes();
        RegisterMemoryFile(kFace, mFace.data(), uint32_t(mFace.size()));
        RegisterMemoryFile(TFontCache::kFallbackName, mFallback.data(), uint32_t(mFallback.size()));
        mCache = std::make_unique<TFontCache>(mBuiltin.data(), mBuiltin.size());
        SetTextServices(mCache.get(), nullptr);
    }
    void TearDown() override
    {
        SetTextServices(nullptr, nullptr);
        mCache.reset();
        RegisterMemoryFile(kFace, nullptr, 0);
        RegisterMemoryFile(TFontCache::kFallbackName, nullptr, 0);
    }

    // White 20-pixel text in the synthetic font: a run scale of 0.64, so
    // lower-case letters are 8 pixels wide, "i" and the space 4, "m" 16.
    static std::unique_ptr<TTextLayout> Make(const char* text, int32_t width = 1000, int32_t flags = 0,
                                             int32_t height = 200)
    {
        static const float kWhite[4] = {1, 1, 1, 1};
        return TTextLayout::Create(TString(text), width, height, flags, kFace, 20, kWhite);
    }

    TVecFont* Face() { return mCache->Lookup(TString(kFace)); }
    TVecFont* Fallback() { return mCache->Lookup(TString(TFontCache::kFallbackName)); }

    std::vector<uint8_t> mFace, mFallback, mBuiltin;
    std::unique_ptr<TFontCache> mCache;
};

// The text of each line, runs' bytes concatenated, line feeds as "~",
// lines joined by "|".
inline std::string LineTexts(const TTextLayout& layout)
{
    std::string out;
    const TString& text = layout.GetText();
    for (size_t i = 0; i < layout.GetLines().size(); ++i) {
        if (i)
            out += '|';
        for (const TTextRun& run : layout.GetLines()[i]->runs)
            for (int32_t c = run.first; c >= 0 && c <= run.last; ++c)
                out += text[uint32_t(c)] == '\n' ? '~' : text[uint32_t(c)];
    }
    return out;
}

// One number per line, comma-separated.
template <class F>
std::string PerLine(const TTextLayout& layout, F value)
{
    std::string out;
    for (const auto& line : layout.GetLines()) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%s%g", out.empty() ? "" : ",", double(value(*line)));
        out += buffer;
    }
    return out;
}

inline std::string Heights(const TTextLayout& l)
{
    return PerLine(l, [](const TTextLine& line) { return line.height; });
}
inline std::string Baselines(const TTextLayout& l)
{
    return PerLine(l, [](const TTextLine& line) { return line.baseline; });
}
// Where each line's first run starts in the box: x + xOffset.
inline std::string Starts(const TTextLayout& l)
{
    return PerLine(l, [](const TTextLine& line) { return line.x + line.xOffset; });
}
// The end of each line's last run, pixels from its left edge.
inline std::string Ends(const TTextLayout& l)
{
    return PerLine(l, [](const TTextLine& line) { return line.runs.empty() ? -1 : line.runs.back().xEnd; });
}

// The runs that hold bytes of the text, each as its bytes.
inline std::vector<const TTextRun*> TextRuns(const TTextLayout& layout)
{
    std::vector<const TTextRun*> runs;
    for (const auto& line : layout.GetLines())
        for (const TTextRun& run : line->runs)
            if (run.first >= 0 && run.last >= run.first)
                runs.push_back(&run);
    return runs;
}

inline std::string RunText(const TTextLayout& layout, const TTextRun& run)
{
    return std::string(layout.GetText().c_str() + run.first, size_t(run.last - run.first + 1));
}

} // namespace text_test
