#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/Event.h"

namespace Quillory {

// Keeps the classmates and the host moving between the show's scripted
// moments: while enabled, two loops each pick one character at a time (a
// classmate or the host), play a short idle on it at priority 2 and wait a
// random pause after it. Loops belong to the Start that made them: after a
// Stop, a later Start begins two new loops and the old ones end at their
// next pick, so never more than two run. Made on first use. Main thread
// only.
class IdleAnimController {
public:
    // The pause after an idle: 4000 + 2000 g ms (g a standard normal
    // deviate from the show's random source), truncated and held to this.
    static constexpr int32_t kMinPause = 100;
    static constexpr int32_t kMaxPause = 8000;
    static constexpr int32_t kIdlePriority = 2;

    static IdleAnimController* Instance();
    // The controller when one exists, else null (never makes one).
    static IdleAnimController* Existing();
    static void Destroy();

    IdleAnimController(const IdleAnimController&) = delete;
    IdleAnimController& operator=(const IdleAnimController&) = delete;

    // Two loops, the second one pause after the first; nothing while
    // enabled.
    void Start();
    // The loops end at their next pick; running idles play on.
    void Stop();
    // A loop's next pick: the idle event, followed by a pause and the
    // loop's next ePlayIdleAnim. A dummy (the loop ends) when disabled or
    // when the loop is from an earlier Start.
    std::shared_ptr<KEvent::Event> Next(uint32_t generation);

    bool IsEnabled() const { return mEnabled; }
    // Counts the Starts that began loops.
    uint32_t GetGeneration() const { return mGeneration; }

    // One pause, drawn now.
    static uint32_t DrawPause();

private:
    IdleAnimController() = default;

    bool mEnabled = false;
    uint32_t mGeneration = 0;
};

// One step of an idle loop: when it starts it asks the controller for the
// loop's next pick (the loop of the controller's generation when it was
// made) and finishes.
class ePlayIdleAnim : public KEvent::Event {
public:
    explicit ePlayIdleAnim(uint32_t generation);
    void Start() override;
    uint32_t GetGeneration() const { return mGeneration; }

private:
    uint32_t mGeneration;
};
// A step of the loops of the controller's current generation.
std::shared_ptr<ePlayIdleAnim> MakePlayIdleAnim();

} // namespace Quillory
