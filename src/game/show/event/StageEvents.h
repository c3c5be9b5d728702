#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/Event.h"
#include "game/show/event/ShowLinks.h"
#include "platform/Clock.h"

namespace KEvent {

// Fades the pedestal lights from their colour at the start to the target
// hue and saturation, linearly over the duration; the target colour is set
// in the pass that finishes it. A duration of 0 or less sets it at once.
class ePodiumColor : public Event {
public:
    ePodiumColor(float hue, float saturation, int32_t milliseconds);
    void Start() override;
    void Update() override;

private:
    TClock mClock;
    uint32_t mDuration;
    float mHue;
    float mSaturation;
    float mFromHue = 0.0f;
    float mFromSaturation = 0.0f;
    bool mFading = false;
};
std::shared_ptr<ePodiumColor> MakePodiumColor(float hue, float saturation, int32_t milliseconds);

// Starts a new confetti emitter of count pieces (made by the registered
// factory, handed back through emitter for the matching stop event).
class eStartConfetti : public Event {
public:
    explicit eStartConfetti(uint16_t count);
    void Start() override;
    const std::shared_ptr<ConfettiControl>& GetConfetti() const { return mConfetti; }

private:
    std::shared_ptr<ConfettiControl> mConfetti;
};
std::shared_ptr<eStartConfetti> MakeStartConfetti(uint16_t count, std::shared_ptr<ConfettiControl>& emitter);

// Lets the emitter's confetti run out.
class eStopConfetti : public Event {
public:
    explicit eStopConfetti(std::shared_ptr<ConfettiControl> confetti);
    void Start() override;

private:
    std::shared_ptr<ConfettiControl> mConfetti;
};
std::shared_ptr<eStopConfetti> MakeStopConfetti(const std::shared_ptr<ConfettiControl>& emitter);

} // namespace KEvent
