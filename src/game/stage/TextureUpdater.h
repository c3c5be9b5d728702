#pragma once
#include "platform/Task.h"

namespace KUtil {

// Puts the studio screens back after the display has restored its
// surfaces (render targets lose their pictures): while a show runs, the
// show controller's screen window is rendered again onto both main
// screens, or both are cleared when there is none. Lives on the
// application's restore-task list; Run always keeps it there.
class TextureUpdater : public TTask {
public:
    bool Run() override;
};

} // namespace KUtil
