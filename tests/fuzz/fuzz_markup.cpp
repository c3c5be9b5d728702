// Arbitrary bytes laid out as marked-up text in a small synthetic font,
// then measured, hit-tested, scrolled and drawn into a painter that checks
// what it gets: every run stays inside the text and every line is whole.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/AssetNames.h"
#include "render/FontCache.h"
#include "render/GlyphPainter.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"
#include "support/SyntheticFont.h"

namespace {

class TCheckingPainter : public TGlyphPainter {
public:
    void SetColour(int32_t slot, const float[4], float) override { Check(slot >= 0 && slot <= 255); }
    bool Begin(float x, float y, const TTextureRef&) override
    {
        Check(!std::isnan(x) && !std::isnan(y));
        return true;
    }
    void DrawGlyph(TGlyphCommands commands, int32_t, int32_t) override { Check(commands.data != nullptr); }
    void DrawBox(float, float, float, float, int32_t, int32_t) override {}
    void Flush() override {}
    void SetScale(float h, float v) override { Check(h >= 0 && v >= 0); }
    void SetRotation(float, float) override {}
    void SetItalic(bool) override {}
    void SetStrokes(float a, float b) override { Check(a >= 0 && b >= 0); }
    void SetOverwrite(bool) override {}

private:
    static void Check(bool ok)
    {
        if (!ok)
            std::abort();
    }
};

void CheckRuns(const TTextLayout& layout)
{
    const int64_t length = layout.GetText().Length();
    for (const auto& line : layout.GetLines()) {
        if (!line || line->height < 0)
            std::abort();
        for (const TTextRun& run : line->runs)
            if (run.first < 0 || run.last >= length || run.last < run.first - 1)
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<uint8_t> face = synthetic_font::Bytes();
    static bool registered = false;
    if (!registered) {
        RegisterMemoryFile(TString("fonts/fuzz.mvec"), face.data(), uint32_t(face.size()));
        registered = true;
    }
    if (size < 2)
        return 0;
    // The first two bytes choose the box and the flags; the rest is text.
    const int32_t width = int32_t(data[0]) * 4 - 20;
    const int32_t flags = data[1] & 15;
    TFontCache cache(face.data(), face.size());
    SetTextServices(&cache, nullptr);
    const float colour[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString(reinterpret_cast<const char*>(data + 2), uint32_t(size - 2)), width,
                                      200, flags, "fonts/fuzz.mvec", 16 + (data[1] >> 4), colour);
    CheckRuns(*layout);
    TRect bounds;
    layout->GetBounds(bounds);
    TString link;
    for (int32_t y = -10; y < 200; y += 7)
        layout->GetLinkAt(link, width / 2, y, data[1] & 3);
    const int32_t point[2] = {5, 5};
    layout->IsOverLink(point, 0);
    layout->FindLineAt(1.0f, 2);
    layout->SetFirstVisibleLine(float(data[1] & 7) * 0.75f);
    TCheckingPainter painter;
    layout->DrawWith(painter, TRect(0, 0, 400, 300), 1.0f, 1, 1.0f, TTextureRef());
    layout->SetRotation(float(data[0]), 10, 10);
    CheckRuns(*layout);
    layout->DrawWith(painter, TRect(0, 0, 400, 300), 0.5f, 0, 1.0f, TTextureRef());
    SetTextServices(nullptr, nullptr);
    return 0;
}
