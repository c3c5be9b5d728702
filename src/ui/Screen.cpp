#include "ui/Screen.h"

#include "render/Renderer.h"
#include "render/Texture.h"
#include "ui/WindowManager.h"

TScreen::TScreen()
{
    ChangeFlags(kWindowOpaqueCover | kWindowToTexture, 0);
}

void TScreen::SetFillColour(float r, float g, float b, float a)
{
    mFillColour[0] = r;
    mFillColour[1] = g;
    mFillColour[2] = b;
    mFillColour[3] = a;
}

void TScreen::Draw()
{
    TWindowManager* manager = GetWindowManager();
    if (mFillAlways || (manager && manager->GetTopModal() == this))
        TRenderer::Get()->FillRect(GetClientRect(), mFillColour);
    // The picture the manager last drew into its texture (screen
    // transitions), top-left corner at the origin.
    if (manager && manager->GetRenderTarget()) {
        T2dGuard pass;
        pass.Begin2d();
        TDrawParams params(TVec2(0, 0), 1.0f, 1.0f, kDrawAtOrigin);
        manager->GetRenderTarget()->Draw(params);
    }
}
