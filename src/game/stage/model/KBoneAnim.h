#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/show/event/Event.h"
#include "game/stage/model/XTransform.h"
#include "platform/Clock.h"

namespace KScene {

class XBone;
class XElem;
struct KAnimEntry;

// The show event that plays one named animation on a model's mesh frame:
// its start places the frame; each update shows the key frame of the step
// the playing time is in (every bone takes that key, no blending) and
// recomputes the skin when the frame number changed. The update that finds
// the whole time passed shows the last step's frame and finishes. Skipping
// leaves the pose where the last update put it. On a frame whose bones are
// not linked it does nothing and finishes as it starts.
class KBoneAnim : public KEvent::Event {
public:
    KBoneAnim(const std::shared_ptr<XElem>& frame, const KAnimEntry& entry);

    void Start() override;
    void Update() override;

    // Sum of the step times, in ms.
    uint64_t GetTotal() const { return mTotal; }
    uint16_t GetCount() const { return uint16_t(mFrames.size()); }
    // The frame number whose skin was last computed; -1 before the first.
    int32_t GetLastShown() const { return mLastShown; }

private:
    // No frame number is ever this.
    static constexpr int32_t kNothingShown = -1;

    // The index of the step shown at time t (below the total).
    size_t StepAt(uint64_t t) const;

    std::vector<XBone*> mBones;
    TClock mClock;
    XBone* mRoot = nullptr;
    std::shared_ptr<XElem> mFrame;
    std::vector<uint16_t> mFrames;
    // Where each step ends, from the start, in ms.
    std::vector<uint64_t> mEnds;
    uint64_t mTotal = 0;
    int32_t mLastShown = kNothingShown;
    XTransform mTransform;
};

} // namespace KScene
