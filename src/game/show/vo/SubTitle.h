#pragma once
#include <cstdint>

#include "platform/TString.h"
#include "render/RenderStates.h"
#include "render/TextureRef.h"
#include "ui/Window.h"

namespace KVO {

// One page of a voice-over line's subtitles: a screen-sized window
// ("Subtitle") holding the text drawn into a texture, centred near the top
// of the screen over a soft black shadow. Everything is made in the
// constructor. A text that lays out to nothing gives a window without
// pictures.
class SubTitle : public TWindow {
public:
    static constexpr const char* kFont = "fonts/paltino_linotype.mvec";
    // The box the text wraps in, and where the picture goes.
    static constexpr int32_t kWrapWidth = 475;
    static constexpr int32_t kWrapHeight = 555;
    static constexpr int32_t kMinLeft = 155;
    static constexpr int32_t kTop = 45;

    SubTitle(const TString& text, int32_t fontSize, const TColorValue& colour);
    ~SubTitle() override;

    const char* GetClassName() const override { return "SubTitle"; }

    const TString& GetText() const { return mText; }
    // The drawn text, empty when there is nothing to show.
    const TTextureRef& GetTexture() const { return mTexture; }

private:
    void Build(int32_t fontSize, const TColorValue& colour);

    TTextureRef mTexture;
    TString mText;
};

} // namespace KVO
