#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/scene/CameraRecord.h"

namespace KEvent {
class Event;
}
namespace KUtil {
class KCubicInterpolate;
}

namespace KScene {

// The one camera mover: eases the scene camera's seven channels (position,
// pitch, yaw, roll, field of view) from one shot to another, each angle
// the shorter way, remembers the shot it left (home) so that a return can
// go back there, and finishes the event that asked for the move once the
// move is done. A move out stays active after it arrives (the camera holds
// the shot) until a completed return or a reset. Made on first use. Main
// thread only.
class CameraAnimator {
public:
    static CameraAnimator* Get();
    // The animator when one exists, else null (never makes one).
    static CameraAnimator* Existing();
    // Stops a move and forgets the attached event (without finishing it).
    static void Destroy();

    CameraAnimator(const CameraAnimator&) = delete;
    CameraAnimator& operator=(const CameraAnimator&) = delete;

    // The stage's opening shot, which ResetToDefault puts the camera at.
    static CameraRecord DefaultShot();

    // Starts a move from `from` to `to`. From idle, home becomes `from`; a
    // move started during another keeps the first move's home.
    void MoveTo(const CameraRecord& from, const CameraRecord& to, uint32_t durationMs);
    // Moves from the current shot back home. While idle nothing moves and
    // the event attached next is finished by the next Advance.
    void Return(uint32_t durationMs);
    // The per-frame step: while a move is active, interpolates and writes
    // the scene camera, finishes the attached event once the move is done,
    // and ends a return once it is home.
    void Advance();
    // Idle, camera at the default shot; home, the current shot and the
    // attached event are kept (the event is not finished).
    void ResetToDefault();

    // The event to finish when the move is done. One attached before it and
    // not finished yet is finished now: its chain would otherwise wait for
    // ever.
    void SetEvent(const std::shared_ptr<KEvent::Event>& event);
    void ReleaseEvent();

    bool IsActive() const { return mActive; }
    bool IsReturning() const { return mReturning; }
    const CameraRecord& GetHome() const { return mHome; }
    const CameraRecord& GetCurrent() const { return mCurrent; }
    const std::shared_ptr<KEvent::Event>& GetEvent() const { return mEvent; }

private:
    CameraAnimator();
    ~CameraAnimator();

    void StopMove();
    void Interpolate(const CameraRecord& from, const CameraRecord& to, uint32_t durationMs);
    void FinishEvent();

    std::shared_ptr<KEvent::Event> mEvent;
    bool mActive = false;
    bool mReturning = false;
    // A return was asked for while idle: its event ends on the next Advance.
    bool mIdleReturn = false;
    CameraRecord mHome;
    CameraRecord mCurrent;
    std::unique_ptr<KUtil::KCubicInterpolate> mInterpolator;
};

} // namespace KScene
