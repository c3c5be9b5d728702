#pragma once
#include <cstdint>

#include "game/stage/WRenderable.h"
#include "platform/TString.h"

namespace KQuestion {

// An off-screen window (256 x 144 at (0, 0)) that pictures a text in the
// chalkboard font over what "scripts/QShow.lua" builds; the studio screens
// show its texture. Each RenderToTexture lays the text out again as the
// child "subText" (the old one goes) and renders a new 256 x 256 texture.
class QShow : public KScene::WRenderable {
public:
    static constexpr int32_t kWidth = 256;
    static constexpr int32_t kHeight = 144;
    static constexpr uint32_t kTextureSize = 256;

    explicit QShow(const TString& text);
    ~QShow() override;

    const char* GetClassName() const override { return "QShow"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || WRenderable::IsKindOf(id); }
    // Made by the show only: the id function stands for the kind.
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&QShow::TypeId); }

    // Empty (logged) when the render target cannot be made.
    TTextureRef RenderToTexture() override;

    const TString& GetText() const { return mText; }

    // Where and how large the text is laid out.
    struct TextBox {
        uint32_t size;
        int32_t x, y, width, height;
    };
    static constexpr TextBox kTextBox{36, 5, 5, 245, 134};

protected:
    // A display window built by the given script with its text in box.
    QShow(const TString& text, const char* script, const TextBox& box);

private:
    void ReplaceSubText();

    TString mText;
    TextBox mBox;
};

} // namespace KQuestion
