#include "game/stage/scene/SceneError.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Log.h"

namespace KScene {

void SceneError(const char* format, ...)
{
    if (!format)
        return;
    char message[kSceneErrorMax + 1];
    va_list args;
    va_start(args, format);
    const int written = vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (written < 0)
        return;
    WriteLog("Scene: %s%s", message, size_t(written) > kSceneErrorMax ? "..." : "");
}

} // namespace KScene
