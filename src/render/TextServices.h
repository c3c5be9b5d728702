#pragma once

class TFontCache;
class TDnMiniVecDraw;

// The font cache and the rasteriser that text layouts use. The application
// object owns both and installs them here; null uninstalls. Without a
// cache every character counts as missing; without a rasteriser drawing
// does nothing.
void SetTextServices(TFontCache* cache, TDnMiniVecDraw* draw);
TFontCache* GetFontCache();
TDnMiniVecDraw* GetVecDraw();
