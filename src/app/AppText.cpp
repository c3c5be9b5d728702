#include "app/AppText.h"

#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextServices.h"

TAppText::TAppText() : mFonts(std::make_unique<TFontCache>(kBuiltinFontData, sizeof kBuiltinFontData))
{
    SetTextServices(mFonts.get(), nullptr);
}

TAppText::~TAppText()
{
    Free();
}

bool TAppText::MakeRasteriser()
{
    if (mRasteriser || !mFonts)
        return false;
    mRasteriser = std::make_unique<TDnMiniVecDraw>();
    mRasteriser->Calibrate();
    SetTextServices(mFonts.get(), mRasteriser.get());
    return true;
}

void TAppText::Free()
{
    if (GetFontCache() == mFonts.get())
        SetTextServices(nullptr, nullptr);
    mRasteriser.reset();
    if (mFonts)
        mFonts->Clear();
    mFonts.reset();
}
