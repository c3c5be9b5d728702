#pragma once
#include "render/TextureRef.h"
#include "ui/Window.h"

namespace KScene {

// A window that can render itself into a texture: the pictures shown on
// the studio screens. The texture is the window's own (kept by it); empty
// when it cannot be made.
class WRenderable : public TWindow {
public:
    const char* GetClassName() const override { return "WRenderable"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    // Abstract: no creator; the id function stands for the kind.
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&WRenderable::TypeId); }

    virtual TTextureRef RenderToTexture() = 0;
};

} // namespace KScene
