#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/Event.h"
#include "game/stage/scene/CameraRecord.h"

namespace KScene {

// The show's camera shot: its start hands the move (or the return home) to
// the camera animator and attaches itself; the animator finishes it once
// the move is done. Each of its updates steps the animator. Skipping it
// finishes it at once; the move goes on to its end.
class eCameraEvent : public KEvent::Event {
public:
    enum Kind : uint8_t { kReturn = 0, kMove = 1 };

    eCameraEvent(const CameraRecord& target, Kind kind, uint32_t durationMs);
    void Start() override;
    void Update() override;

    const CameraRecord& GetTarget() const { return mTarget; }
    Kind GetKind() const { return mKind; }
    uint32_t GetDuration() const { return mDuration; }

private:
    CameraRecord mTarget;
    Kind mKind;
    uint32_t mDuration;
};

// A move from wherever the camera is when the event starts to the target.
std::shared_ptr<eCameraEvent> MakeCameraMove(const CameraRecord& target, uint32_t durationMs);
// A move back to the shot before the current move (or moves).
std::shared_ptr<eCameraEvent> MakeCameraReturn(uint32_t durationMs);

} // namespace KScene
