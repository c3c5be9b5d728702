#include "ui/Screen.h"

#include "render/Renderer.h"
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
    // Showing the manager's render target needs texture drawing, which the
    // texture classes bring.
}
