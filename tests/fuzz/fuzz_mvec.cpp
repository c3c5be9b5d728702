// Arbitrary bytes as a vector font: every glyph's metrics and command list
// are read without leaving the file, and the font's numbers stay sane.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/VecFont.h"

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The font keeps its own copy, sized exactly, so that ASan sees a read
    // past its end.
    TVecFont font(std::vector<uint8_t>(data, data + size), "fuzz");
    Require(font.GetAscent() >= 0 && font.GetDescent() >= 0);
    Require(font.GetAscent() + font.GetDescent() >= 1);
    Require(std::isfinite(font.GetTopMargin()) && std::isfinite(font.GetBottomMargin()));
    for (int32_t g = 0; g < font.GetGlyphCount(); ++g) {
        int32_t found = font.FindGlyph(font.GetCode(g));
        Require(found >= 0 && font.GetCode(found) == font.GetCode(g));
        if (g > 0)
            Require(font.GetCode(g - 1) <= font.GetCode(g));
        float scale = font.GetScaleFactor(g);
        Require(scale > 0 && scale <= 1);
        TGlyphCommands list = font.GetCommands(g);
        Require(list.size <= size);
        TGlyphCommandReader reader(list);
        TGlyphCommand command;
        size_t count = 0;
        while (reader.Next(command)) {
            Require(std::isfinite(command.x) && std::isfinite(command.y));
            Require(std::fabs(command.cx) <= 256 && std::fabs(command.cy) <= 256);
            ++count;
        }
        Require(count <= list.size);
    }
    return 0;
}
