// Drawing a layout with the application's rasteriser.
#include "render/MiniVecPainter.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"

void TTextLayout::Draw(const TRect& rect, float scale, int32_t lineSpacing, float alpha, const TTextureRef& target)
{
    TDnMiniVecDraw* draw = GetVecDraw();
    if (!draw)
        return;
    TMiniVecPainter painter(*draw);
    DrawWith(painter, rect, scale, lineSpacing, alpha, target);
}
