#include "os/gfx/GfxDisplay.h"

#include <algorithm>

GfxRect GfxLetterbox(int32_t windowWidth, int32_t windowHeight, int32_t width, int32_t height)
{
    if (windowWidth <= 0 || windowHeight <= 0 || width <= 0 || height <= 0)
        return {};
    int64_t pw, ph;
    if (int64_t(windowWidth) * height <= int64_t(windowHeight) * width) {
        pw = windowWidth;   // limited by the width
        ph = (int64_t(windowWidth) * height + width / 2) / width;
    } else {
        ph = windowHeight;
        pw = (int64_t(windowHeight) * width + height / 2) / height;
    }
    int32_t x = int32_t((windowWidth - pw) / 2);
    int32_t y = int32_t((windowHeight - ph) / 2);
    return {x, y, x + int32_t(pw), y + int32_t(ph)};
}

GfxRect GfxDisplay::GetPresentRect() const
{
    int32_t w = 0, h = 0;
    GfxMode mode = GetMode();
    if (!GetWindowSize(&w, &h))
        return {0, 0, mode.width, mode.height};
    return GfxLetterbox(w, h, mode.width, mode.height);
}

bool GfxDisplay::WindowToLogical(int32_t wx, int32_t wy, int32_t* x, int32_t* y) const
{
    GfxMode mode = GetMode();
    GfxRect r = GetPresentRect();
    if (r.Width() <= 0 || r.Height() <= 0 || mode.width <= 0 || mode.height <= 0) {
        if (x)
            *x = wx;
        if (y)
            *y = wy;
        return false;
    }
    bool inside = wx >= r.left && wx < r.right && wy >= r.top && wy < r.bottom;
    int32_t cx = std::clamp(wx, r.left, r.right - 1);
    int32_t cy = std::clamp(wy, r.top, r.bottom - 1);
    if (x)
        *x = int32_t(int64_t(cx - r.left) * mode.width / r.Width());
    if (y)
        *y = int32_t(int64_t(cy - r.top) * mode.height / r.Height());
    return inside;
}

void GfxDisplay::LogicalToWindow(int32_t x, int32_t y, int32_t* wx, int32_t* wy) const
{
    GfxMode mode = GetMode();
    GfxRect r = GetPresentRect();
    if (mode.width <= 0 || mode.height <= 0) {
        if (wx)
            *wx = x;
        if (wy)
            *wy = y;
        return;
    }
    // The window pixel whose area holds the logical pixel's centre.
    if (wx)
        *wx = r.left + int32_t((int64_t(2 * x + 1) * r.Width()) / (2 * int64_t(mode.width)));
    if (wy)
        *wy = r.top + int32_t((int64_t(2 * y + 1) * r.Height()) / (2 * int64_t(mode.height)));
}

GfxResult GfxSurface::BltFast(int32_t x, int32_t y, GfxSurface* source, const GfxRect* srcRect)
{
    if (!source)
        return GfxResult::InvalidPointer;
    GfxRect src = srcRect ? *srcRect
                          : GfxRect{0, 0, int32_t(source->Width()), int32_t(source->Height())};
    GfxRect dst{x, y, x + src.Width(), y + src.Height()};
    return Blt(&dst, source, &src);
}

namespace {
GfxBackend gBackend = GfxBackend::Gl;
}

void GfxSetBackend(GfxBackend backend)
{
    gBackend = backend;
}

GfxBackend GfxGetBackend()
{
    return gBackend;
}

std::unique_ptr<GfxDisplay> GfxCreateDisplay()
{
    return gBackend == GfxBackend::Recording ? GfxCreateRecordingDisplay() : GfxCreateGlDisplay();
}
