// Text drawing benchmark against FreeType: the body-text page of about
// 3,000 glyphs (tools/bench-page.h) laid out in an 800 x 600 box in the
// generated default font and drawn at 12 pixels into an 800 x 600 texture,
// cold (a new rasteriser with an empty span cache every page) and warm
// (the cache filled); then the same characters on the same lines rendered
// by FreeType from the face the font was made from (FT_Load_Char with
// FT_LOAD_RENDER) and blended into an 800 x 600 BGRA buffer. Prints the
// medians and the ratios to FreeType.
//
//   bench_text_draw FONT.mvec FACE.ttf [PAGES]   (run it through tools/bench-text-draw)
//
// Size: our size 12 makes the font's ascent + descent (the top of "W" plus
// the deepest ASCII ink below the baseline) 0.8 x 12 = 9.6 pixels. The same
// two measures are taken from the face's unscaled outlines, and the face is
// set to the em size that gives them 9.6 pixels too.
#include <SDL.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "bench-timing.h"
#include "bench-page.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/Window.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/TextChars.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"
#include "render/Texture.h"
#include "support/TestDisplayHost.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kSize = 12;
const char* const kFontName = TFontCache::kFallbackName;

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

std::vector<uint8_t> ReadFile(const char* path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

// Median of the timed part over pages (after three untimed pages);
// prepare runs before each page, outside the time.
double Measure(int pages, const std::function<void()>& prepare, const std::function<void()>& timed)
{
    std::vector<double> times;
    for (int i = 0; i < pages + 3; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        prepare();
        const double t0 = Now();
        timed();
        if (i >= 3)
            times.push_back(Now() - t0);
    }
    return Median(times);
}

// One laid-out line for the reference: its baseline in pixels from the
// top of the box and its characters.
struct TRefLine {
    int32_t baseline = 0;
    std::vector<uint32_t> codes;
};

std::vector<TRefLine> LinesOf(const TTextLayout& layout, size_t& glyphs)
{
    std::vector<TRefLine> lines;
    const char* text = layout.GetText().c_str();
    const size_t length = layout.GetText().Length();
    double y = layout.GetOriginY();
    glyphs = 0;
    for (const auto& line : layout.GetLines()) {
        if (y + kSize > kHeight)
            break;
        TRefLine out;
        out.baseline = int32_t(std::lround(y + line->baseline / 4.0));
        for (const TTextRun& run : line->runs) {
            if (!run.font || run.first < 0)
                continue;
            const size_t end = std::min<size_t>(size_t(std::max(run.last + 1, 0)), length);
            for (size_t pos = size_t(run.first); pos < end;) {
                uint32_t code = 0;
                bool escaped = false;
                if (!ReadTextChar(text, end, pos, code, escaped))
                    break;
                if (run.font->FindGlyph(code) >= 0)
                    out.codes.push_back(code);
            }
        }
        glyphs += out.codes.size();
        lines.push_back(std::move(out));
        y += line->height;
    }
    return lines;
}

// FreeType's side: a face set to our size, rendering lines into a buffer.
class TReference {
public:
    explicit TReference(const char* path)
    {
        if (FT_Init_FreeType(&mLibrary) != 0 || FT_New_Face(mLibrary, path, 0, &mFace) != 0)
            mFace = nullptr;
    }
    ~TReference()
    {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }
    TReference(const TReference&) = delete;
    TReference& operator=(const TReference&) = delete;

    // Sets the em so that "W"'s top plus the deepest ASCII ink below the
    // baseline (underscore excepted) spans lineHeight pixels; returns the
    // em in pixels, 0 on failure.
    double SetLineHeight(double lineHeight)
    {
        if (!mFace)
            return 0;
        double top = 0, bottom = 0;
        for (uint32_t code = 0x20; code < 0x7F; ++code) {
            if (FT_Load_Char(mFace, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0 ||
                mFace->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
                continue;
            FT_BBox box;
            FT_Outline_Get_CBox(&mFace->glyph->outline, &box);
            if (code == 'W')
                top = double(box.yMax);
            if (code != '_' && mFace->glyph->outline.n_points > 0)
                bottom = std::max(bottom, -double(box.yMin));
        }
        if (top + bottom <= 0)
            return 0;
        const double em = lineHeight * mFace->units_per_EM / (top + bottom);
        if (FT_Set_Char_Size(mFace, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72) != 0)
            return 0;
        return em;
    }

    // Renders and blends every character of lines in white; returns the
    // glyphs drawn.
    size_t Draw(const std::vector<TRefLine>& lines, FT_Int32 flags, std::vector<uint32_t>& pixels)
    {
        size_t drawn = 0;
        for (const TRefLine& line : lines) {
            FT_Pos pen = 0; // 26.6
            for (uint32_t code : line.codes) {
                if (FT_Load_Char(mFace, code, flags) != 0)
                    continue;
                const FT_GlyphSlot slot = mFace->glyph;
                Blend(slot->bitmap, int32_t(pen >> 6) + slot->bitmap_left, line.baseline - slot->bitmap_top,
                      pixels);
                pen += slot->advance.x;
                ++drawn;
            }
        }
        return drawn;
    }

private:
    // The coverage bitmap blended over the buffer, cut to it.
    static void Blend(const FT_Bitmap& bitmap, int32_t left, int32_t top, std::vector<uint32_t>& pixels)
    {
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return;
        const uint32_t colour = 0xFFFFFFFFu;
        for (int32_t row = 0; row < int32_t(bitmap.rows); ++row) {
            const int32_t y = top + row;
            if (y < 0 || y >= kHeight)
                continue;
            const uint8_t* src = bitmap.buffer + row * bitmap.pitch;
            uint32_t* dst = pixels.data() + size_t(y) * kWidth;
            for (int32_t col = 0; col < int32_t(bitmap.width); ++col) {
                const int32_t x = left + col;
                const uint32_t a = src[col];
                if (x < 0 || x >= kWidth || a == 0)
                    continue;
                const uint32_t d = dst[x], keep = 255 - a;
                uint32_t out = d & 0xFF000000u;
                for (int32_t shift = 0; shift < 24; shift += 8) {
                    const uint32_t c = (((d >> shift) & 0xFF) * keep + ((colour >> shift) & 0xFF) * a) / 255;
                    out |= c << shift;
                }
                dst[x] = out;
            }
        }
    }

    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

// The green channel summed: how much ink a page put down.
double Ink(const uint32_t* pixels, uint32_t pitch)
{
    double sum = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            sum += (pixels[size_t(y) * pitch + x] >> 8) & 0xFF;
    return sum / 255;
}

int Run(const char* fontPath, const char* facePath, int pages)
{
    std::vector<uint8_t> fontBytes = ReadFile(fontPath);
    if (fontBytes.empty()) {
        std::fprintf(stderr, "bench_text_draw: cannot read %s\n", fontPath);
        return 1;
    }
    TReference reference(facePath);
    const double em = reference.SetLineHeight(0.8 * kSize);
    if (em <= 0) {
        std::fprintf(stderr, "bench_text_draw: cannot use the face %s\n", facePath);
        return 1;
    }
    RegisterMemoryFile(kFontName, fontBytes.data(), uint32_t(fontBytes.size()));
    TFontCache cache(kBuiltinFontData, sizeof kBuiltinFontData);
    SetTextServices(&cache, nullptr);
    TVecFont* font = cache.Lookup(kFontName);

    size_t markupGlyphs = 0;
    const TString page(bench_page::Page(3000, markupGlyphs).c_str());
    const float white[4] = {1, 1, 1, 1};
    const TRect box(0, 0, kWidth, kHeight);
    TTextureRef texture = TTexture::CreateRenderTarget(kWidth, kHeight, true);
    if (!texture || !font) {
        std::fprintf(stderr, "bench_text_draw: no texture or no font\n");
        return 1;
    }
    std::unique_ptr<TTextLayout> layout;
    auto layOutAndDraw = [&] {
        layout = TTextLayout::Create(page, kWidth, kHeight, 0, kFontName, kSize, white);
        layout->Draw(box, 1, 0, 1, texture);
    };
    std::unique_ptr<TDnMiniVecDraw> draw;
    auto freshDraw = [&] {
        SetTextServices(&cache, nullptr);
        draw = std::make_unique<TDnMiniVecDraw>();
        draw->Calibrate();
        SetTextServices(&cache, draw.get());
    };

    const double cold = Measure(
        pages,
        [&] {
            texture->Clear();
            freshDraw();
        },
        [&] { layOutAndDraw(); });
    const uint32_t scannedCold = draw->GetStats().rasterised;
    const TDnMiniVecDraw::TStats before = draw->GetStats();
    const double warm = Measure(pages, [&] { texture->Clear(); }, layOutAndDraw);
    const TDnMiniVecDraw::TStats after = draw->GetStats();
    const double layoutOnly = Measure(pages, [] {}, [&] {
        layout = TTextLayout::Create(page, kWidth, kHeight, 0, kFontName, kSize, white);
    });
    const double lockOnly = Measure(pages, [] {}, [&] {
        uint32_t* pixels = nullptr;
        uint32_t pitch = 0;
        if (texture->Lock(pixels, pitch))
            texture->Unlock();
    });

    double ourInk = 0;
    texture->Clear();
    layOutAndDraw();
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (texture->Lock(pixels, pitch)) {
        ourInk = Ink(pixels, pitch);
        texture->Unlock();
    }

    size_t glyphs = 0;
    const std::vector<TRefLine> lines = LinesOf(*layout, glyphs);
    std::vector<uint32_t> buffer(size_t(kWidth) * kHeight);
    size_t drawn = 0;
    const double hinted = Measure(pages, [&] { std::fill(buffer.begin(), buffer.end(), 0xFF000000u); },
                                  [&] { drawn = reference.Draw(lines, FT_LOAD_RENDER, buffer); });
    const double hintedInk = Ink(buffer.data(), kWidth);
    const double unhinted =
        Measure(pages, [&] { std::fill(buffer.begin(), buffer.end(), 0xFF000000u); },
                [&] { reference.Draw(lines, FT_LOAD_RENDER | FT_LOAD_NO_HINTING, buffer); });
    const double unhintedInk = Ink(buffer.data(), kWidth);

    const uint32_t warmPages = uint32_t(pages + 3);
    std::printf("page: %zu glyphs (%zu drawn on %zu lines), size %d: ascent + descent %.1f px; FreeType em %.3f px\n",
                markupGlyphs, glyphs, lines.size(), kSize, 0.8 * kSize, em);
    std::printf("ours, cold  %8.3f ms/page  (new rasteriser each page, %u glyphs scanned a page)\n", cold,
                scannedCold);
    std::printf("ours, warm  %8.3f ms/page  (%u scanned, %u replayed a page)\n", warm,
                (after.rasterised - before.rasterised) / warmPages, (after.replayed - before.replayed) / warmPages);
    std::printf("   of which layout %.3f ms, texture lock and unlock %.3f ms\n", layoutOnly, lockOnly);
    std::printf("FreeType    %8.3f ms/page  (FT_LOAD_RENDER, %zu glyphs); without hinting %.3f ms\n", hinted, drawn,
                unhinted);
    std::printf("ink (pixels of full coverage): ours %.0f, FreeType %.0f, without hinting %.0f\n", ourInk, hintedInk,
                unhintedInk);
    std::printf("ratio warm / FreeType %.2f (unhinted %.2f); cold / FreeType %.2f (unhinted %.2f)\n", warm / hinted,
                warm / unhinted, cold / hinted, cold / unhinted);
    layout.reset();
    SetTextServices(nullptr, nullptr);
    draw.reset();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_text_draw FONT.mvec FACE.ttf [PAGES]\n");
        return 2;
    }
    const int pages = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100;
    GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
    if (!OsInitVideo()) {
        std::fprintf(stderr, "bench_text_draw: no video: %s\n", SDL_GetError());
        return 1;
    }
    OsWindowParams params;
    params.title = "bench-text-draw";
    params.width = kWidth;
    params.height = kHeight;
    OsWindow window = OsCreateWindow(params);
    if (!window) {
        std::fprintf(stderr, "bench_text_draw: no window: %s\n", SDL_GetError());
        return 1;
    }
    OsShowWindow(window, OsShow::Show);
    int result = 1;
    {
        TTestDisplayHost host;
        host.mainWindow = window;
        TAssetManager assets;
        SetAssetManager(&assets);
        TPlatform platform;
        InstallPlatformRenderDevice();
        platform.SetWindow(window);
        platform.SetDisplay(kWidth, kHeight, false, false, true, false);
        if (platform.IsDeviceReady()) {
            platform.CalibratePixelOffset();
            result = Run(argv[1], argv[2], pages);
        } else {
            std::fprintf(stderr, "bench_text_draw: no GL display\n");
        }
        TRenderer::Shutdown();
        SetAssetManager(nullptr);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return result;
}
