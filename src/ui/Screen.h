#pragma once
#include "ui/ModalWindow.h"

// The root window: a full-screen modal window that clears the screen when it
// is the top modal window (or always, when asked) and shows the window
// manager's render target.
class TScreen : public TModalWindow {
public:
    TScreen();

    const char* GetClassName() const override { return "TScreen"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TModalWindow::IsKindOf(id); }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TScreen::TypeId); }

    void Draw() override;

    void SetFillAlways(bool on) { mFillAlways = on; }
    bool GetFillAlways() const { return mFillAlways; }
    // Red, green, blue, alpha in 0..1.
    void SetFillColour(float r, float g, float b, float a);
    const float* GetFillColour() const { return mFillColour; }

private:
    bool mFillAlways = false;
    float mFillColour[4] = {0, 0, 0, 0};
};
