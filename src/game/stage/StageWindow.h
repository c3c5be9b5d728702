#pragma once
#include <cstdint>
#include <memory>

#include "ui/Window.h"

namespace KEvent {
class ConfettiControl;
}
namespace KScene {
class KSceneSet;
}

// The window the show is seen through (window type "Demo"). Each frame it
// draws the studio set through the scene camera, then in 3D the lens flare,
// the cast and the confetti, then in 2D the running 2D animations; its
// child windows (question, animation and subtitle windows) are drawn over
// that by the window tree. Near the left and right edges the pointer turns
// the camera about the vertical axis, within fixed limits.
//
// Making the stage makes it the show controller's stage and starts the
// show on the next frame (not during a studio tour); destroying it clears
// that pointer. One at a
// time. Main thread only.
class KDemo : public TWindow {
public:
    // The pointer's turning speed at the very edge is kEdgeZone * kOrbitRate
    // radians per drawn frame.
    static constexpr int32_t kEdgeZone = 100;
    static constexpr float kOrbitRate = 0.00015f;
    static constexpr float kYawMax = 6.106f;
    static constexpr float kYawMin = 4.756f;

    KDemo();
    ~KDemo() override;

    const char* GetClassName() const override { return "KDemo"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    void PostInit(const TStyle& style) override;
    void Draw() override;
    bool OnMouseMove(TPoint point) override;

    // Adds the window as a child and keeps it as the question window; null
    // is ignored.
    void ShowQuestionWindow(TWindow* window);
    // The question window while it is still a child of the stage, else null.
    TWindow* GetQuestionWindow() const;
    // Forgets the question window when it is that window.
    void ClearQuestionWindow(const TWindow* window);

    // The confetti slot: the show's confetti start event fills it; the
    // stage draws the canon and lets go once its pieces have all fallen.
    std::shared_ptr<KEvent::ConfettiControl>& Confetti() { return mConfetti; }

    float GetOrbitSpeed() const { return mOrbitSpeed; }
    int32_t GetFrameCount() const { return mFrameCount; }

private:
    void MoveCamera();
    void DrawEffects();
    void DrawOverlay();

    KScene::KSceneSet* mScene = nullptr;
    float mOrbitSpeed = 0;
    float mYawMax = kYawMax;
    float mYawMin = kYawMin;
    TWindow* mQuestionWindow = nullptr;
    std::shared_ptr<KEvent::ConfettiControl> mConfetti;
    int32_t mFrameCount = 0;
};
