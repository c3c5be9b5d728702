#include "app/AppIcon.h"

#include "app/AppIconPng.h"
#include "platform/Log.h"
#include "render/ImageDecode.h"

bool SetAppIcon(OsWindow window)
{
    TDecodedImage icon;
    if (!DecodePngBytes(kAppIconPngData, sizeof kAppIconPngData, "window icon", icon, 256))
        return false;
    bool set = OsSetWindowIcon(window, icon.pixels, int32_t(icon.width), int32_t(icon.height),
                               int32_t(icon.side));
    FreeImage(icon.pixels);
    if (!set)
        WriteLog("The window icon could not be set");
    return set;
}
