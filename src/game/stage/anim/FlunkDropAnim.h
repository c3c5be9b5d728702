#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/anim/SimpleAnim.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/DrawParams.h"

class TTextLayout;

namespace Quillory {

// The flunk-out and drop-out animation: a frame animation that writes one
// text (the money the player leaves with) on every frame it draws, centred
// on the frame's "Text" anchor (moved by the draw position), so that the
// text moves with the picture. Frames without that anchor show no text,
// and nothing is written in calls that draw no frame.
class FlunkDropAnim : public KAnim::SimpleAnim {
public:
    // The text's box, centred on the anchor across, its top at the anchor.
    static constexpr int32_t kTextWidth = 130;
    static constexpr int32_t kTextHeight = 26;

    FlunkDropAnim(const TString& text, const TDrawParams& params, int32_t loops);
    ~FlunkDropAnim() override;

    void Draw() override;

    // Where the text goes on the current frame; false without a "Text"
    // anchor there.
    bool GetTextRect(TRect& out) const;
    const TTextLayout* GetLayout() const { return mLayout.get(); }

private:
    friend std::shared_ptr<FlunkDropAnim> MakeFlunkDropAnim(const TString& file, const TString& text,
                                                            const TDrawParams& params, const TString& frameList);

    std::unique_ptr<TTextLayout> mLayout;
};

// Stops the current flunk/drop animation, then makes, registers and
// returns the new one (15 frames a second, played once), which becomes the
// current one.
std::shared_ptr<FlunkDropAnim> MakeFlunkDropAnim(const TString& file, const TString& text,
                                                 const TDrawParams& params, const TString& frameList);

// The current one, until released (at shut-down, before the assets).
const std::shared_ptr<FlunkDropAnim>& GetFlunkDropAnim();
void ReleaseFlunkDropAnim();

} // namespace Quillory
