#include "game/stage/TextureUpdater.h"

#include "game/show/ShowController.h"
#include "game/stage/WRenderable.h"

namespace KUtil {

bool TextureUpdater::Run()
{
    ShowController* show = ShowController::Instance();
    if (!show->IsRunning())
        return true;
    auto* screen = TWindow::Cast<KScene::WRenderable>(show->GetScreenWindow());
    if (screen)
        show->SetMainScreensTexture(screen->RenderToTexture());
    else
        show->ClearMainScreens();
    return true;
}

} // namespace KUtil
