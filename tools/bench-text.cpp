// Text layout benchmark: a page of about 3,000 characters of 12-pixel body
// text with a little markup (bold, italic, a coloured font, links, line
// breaks) laid out in an 800 x 600 box, again and again, fonts already in
// the cache. Prints the median time of one layout and glyphs per second.
//
//   bench_text FONT_FILE [N]   (default 200; run it through tools/bench-text)
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bench-timing.h"
#include "platform/AssetNames.h"
#include "render/FontCache.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"
#include "support/SyntheticFont.h"
#include "bench-page.h"

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    std::vector<uint8_t> font = argc > 1 ? ReadFile(argv[1]) : std::vector<uint8_t>();
    const bool synthetic = font.empty();
    if (synthetic)
        font = synthetic_font::Bytes();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    RegisterMemoryFile("fonts/bench.mvec", font.data(), uint32_t(font.size()));
    RegisterMemoryFile(TFontCache::kFallbackName, font.data(), uint32_t(font.size()));
    TFontCache cache(font.data(), font.size());
    SetTextServices(&cache, nullptr);

    size_t glyphs = 0;
    const std::string page = bench_page::Page(3000, glyphs);
    const float white[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString(page.c_str()), 800, 600, 0, "fonts/bench.mvec", 12, white);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = NowMs();
        layout->SetRotation(0, 0, 0); // always lays out again
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    TRect bounds;
    layout->GetBounds(bounds);
    std::printf("font: %s\n", synthetic ? "synthetic test font (no font file given)" : argv[1]);
    std::printf("page: %zu glyphs, %zu bytes of markup, %d lines, %d x %d pixels\n", glyphs, page.size(),
                layout->GetLineCount(), bounds.right - bounds.left, bounds.bottom - bounds.top);
    std::printf("layout: median %.3f ms (min %.3f, of %d runs): %.2f million glyphs per second\n", median,
                times.front(), runs, double(glyphs) / median / 1000.0);
    SetTextServices(nullptr, nullptr);
    return 0;
}
