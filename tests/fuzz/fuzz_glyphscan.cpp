// Scan conversion of arbitrary glyph command lists under arbitrary
// placements (scales, turns, shear, strokes, sub-pixel offsets; not-a-number
// and infinities included): every run must lie inside the glyph's reach,
// within one coverage row, with coverage 1..16 in one of the four layers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/GlyphScan.h"

namespace {

class CheckingSink : public TGlyphRunSink {
public:
    void Run(int32_t x0, int32_t x1, int32_t row, uint8_t coverage, uint8_t layer) override
    {
        const int32_t reach = int32_t(TGlyphScan::kGlyphReach / 4) + 2;
        if (x0 >= x1 || x1 - x0 > TGlyphScan::kRowPixels || coverage < 1 || coverage > 16 || layer > 3 ||
            x0 < -reach || x1 > reach + TGlyphScan::kRowPixels || row < -reach || row > reach)
            std::abort();
    }
};

float TakeFloat(const uint8_t*& data, size_t& size)
{
    float v = 0;
    if (size >= 4) {
        std::memcpy(&v, data, 4);
        data += 4;
        size -= 4;
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TGlyphScan scan;
    TGlyphPlacement place;
    place.scaleX = TakeFloat(data, size);
    place.scaleY = TakeFloat(data, size);
    place.cosine = TakeFloat(data, size);
    place.sine = TakeFloat(data, size);
    place.strokes[0] = TakeFloat(data, size);
    place.strokes[1] = TakeFloat(data, size);
    if (size >= 1) {
        place.italic = data[0] & 1;
        place.subX = (data[0] >> 1) & 3;
        place.subY = (data[0] >> 3) & 3;
        ++data;
        --size;
    }
    std::vector<uint8_t> commands(data, data + size); // exactly the input, so overreads show
    std::vector<TGlyphColour> colours;
    TGlyphProblem problem;
    uint8_t layers[256];
    for (int32_t i = 0; i < 256; ++i)
        layers[i] = uint8_t(i % 4);
    if (scan.Build({commands.data(), commands.size(), 1}, place, colours, problem)) {
        CheckingSink sink;
        scan.Scan(layers, sink);
    }
    return 0;
}
