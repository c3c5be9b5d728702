#include "render/TextServices.h"

namespace {
TFontCache* gCache = nullptr;
TDnMiniVecDraw* gDraw = nullptr;
} // namespace

void SetTextServices(TFontCache* cache, TDnMiniVecDraw* draw)
{
    gCache = cache;
    gDraw = draw;
}

TFontCache* GetFontCache()
{
    return gCache;
}

TDnMiniVecDraw* GetVecDraw()
{
    return gDraw;
}
