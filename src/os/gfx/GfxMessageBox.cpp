#include "os/gfx/GfxMessageBox.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

GfxBoxMode gMode = GfxBoxMode::Auto;
GfxBoxHook gHook;
void (*gSink)(const char*) = nullptr;

} // namespace

void GfxSetLogSink(void (*sink)(const char* line))
{
    gSink = sink;
}

void GfxLog(const char* format, ...)
{
    char buf[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (gSink)
        gSink(buf);
    else
        fprintf(stderr, "%s\n", buf);
}

void GfxSetMessageBoxMode(GfxBoxMode mode)
{
    gMode = mode;
}

GfxBoxMode GfxGetMessageBoxMode()
{
    return gMode;
}

bool GfxMessageBoxesShown()
{
    switch (gMode) {
    case GfxBoxMode::Show: return true;
    case GfxBoxMode::LogOnly: return false;
    case GfxBoxMode::Auto: break;
    }
    const char* off = getenv("QUILLORY_NO_MESSAGE_BOXES");
    if (off && *off)
        return false;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && strcmp(driver, "dummy") != 0 && strcmp(driver, "offscreen") != 0;
}

void GfxSetMessageBoxHook(GfxBoxHook hook)
{
    gHook = std::move(hook);
}

void GfxMessageBox(OsWindow owner, const char* caption, const char* text, GfxBoxIcon icon)
{
    caption = caption ? caption : "";
    text = text ? text : "";
    GfxLog("Message box (%s): %s", caption, text);
    if (gHook)
        gHook(owner, caption, text, icon);
    if (!GfxMessageBoxesShown())
        return;
    uint32_t flags = icon == GfxBoxIcon::Stop ? SDL_MESSAGEBOX_ERROR
                     : icon == GfxBoxIcon::Exclamation ? SDL_MESSAGEBOX_WARNING
                                                        : SDL_MESSAGEBOX_INFORMATION;
    auto* parent = static_cast<SDL_Window*>(owner ? OsGetSdlWindow(owner) : nullptr);
    SDL_ShowSimpleMessageBox(flags, caption, text, parent);
}
