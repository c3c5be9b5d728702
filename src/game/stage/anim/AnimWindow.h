#pragma once
#include <memory>

#include "game/stage/anim/AnimBase.h"
#include "ui/Window.h"

namespace KAnim {

// A full-screen (800 x 600 at 0, 0) window whose content is one animation:
// it draws it in a 2D pass of its own (or inside one already open) and
// keeps it alive; destroying the window stops the animation. While it
// shows, it asks the window manager for every frame. The window's
// children are not drawn.
class AnimWindow : public TWindow {
public:
    explicit AnimWindow(AnimPtr anim);
    ~AnimWindow() override;

    const char* GetClassName() const override { return "AnimWindow"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator() { return nullptr; }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    // A new window for the animation's owning pointer, for the caller to
    // add under a parent; null (with a log line) when no shared pointer
    // owns the animation.
    static AnimWindow* Create(AnimBase& anim);

    void Draw() override;
    const AnimPtr& GetAnim() const { return mAnim; }

private:
    AnimPtr mAnim;
};

} // namespace KAnim
