#pragma once

class TRenderer;
class TWindow;

namespace KScene {

// What the stage reaches in the cast and the voice-over player, which
// register themselves while they live. With nothing registered the stage
// draws no characters and subtitles have no stage parent.

// The host and the classmates, drawn in the stage's 3D pass.
class StageCast {
public:
    virtual ~StageCast() = default;
    virtual void Draw(TRenderer* renderer) = 0;
};

// Receives the window subtitles are made under (null: none).
class SubtitleHost {
public:
    virtual ~SubtitleHost() = default;
    virtual void SetSubtitleParent(TWindow* parent) = 0;
    virtual TWindow* GetSubtitleParent() const = 0;
};

// Registration; null unregisters. Not owned.
void SetStageCast(StageCast* cast);
StageCast* GetStageCast();
void SetSubtitleHost(SubtitleHost* host);
SubtitleHost* GetSubtitleHost();

} // namespace KScene
