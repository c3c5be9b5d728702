#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "game/stage/anim/AnimBase.h"

class TWindow;

namespace KEvent {
class Event;
class eDummy;
}

namespace KAnim {

// Animations grouped in tracks that run side by side, standing in event
// chains like one event. The events are wired
//   start -> each track's start -> each animation's event -> track end -> end
// so a track's animations start together, the track ends when all of them
// have finished, and the group ends (GetEvent) when every track has ended.
// Animations that must follow one another are chained by their builder.
//
// Each draw: every track draws its animations and drops those whose event
// has finished; a track found empty is dropped at the next draw; with no
// track left the group stops. Stopping stops every animation still held.
class MultiAnim : public AnimBase {
public:
    class Track {
    public:
        Track();
        // Stops what it still holds.
        ~Track();
        Track(const Track&) = delete;
        Track& operator=(const Track&) = delete;

        // The animation's event waits for the track's start and the track's
        // end for it. Null is ignored.
        void AppendAnim(const AnimPtr& anim);
        const std::shared_ptr<KEvent::eDummy>& GetStartEvent() const { return mStart; }
        const std::shared_ptr<KEvent::eDummy>& GetEndEvent() const { return mEnd; }

        // Draws each animation and drops those whose event has finished;
        // false only when it held none on entry.
        bool Draw();
        // Stop on each animation, then forgets them.
        void StopAll();
        size_t GetAnimCount() const { return mAnims.size(); }

    private:
        std::vector<AnimPtr> mAnims;
        std::shared_ptr<KEvent::eDummy> mEnd;
        std::shared_ptr<KEvent::eDummy> mStart;
    };

    // No tracks; the end event waits for the start event.
    MultiAnim();
    ~MultiAnim() override;

    static std::shared_ptr<MultiAnim> Create();
    // The same, handing back the owning and the plain pointer.
    static void Create(std::shared_ptr<MultiAnim>& out, MultiAnim*& plain);

    // A new track owned by the group, wired between its start and end.
    Track* AddTrack();
    const std::shared_ptr<KEvent::eDummy>& GetStartEvent() const { return mStart; }
    size_t GetTrackCount() const { return mTracks.size(); }

    // With a parent: an AnimWindow for the group, an event that shows it
    // under parent (out) and one that closes it once the group has ended;
    // the group's start waits for the show. Without a parent (or for a
    // group no shared pointer owns) out is the start event and no window is
    // made.
    void ShowInWindow(std::shared_ptr<KEvent::Event>& out, TWindow* parent);

    void Draw() override;
    // The end event.
    std::shared_ptr<KEvent::Event> GetEvent() override;
    void Start() override;
    // When running: ClearTracks.
    void Stop() override;
    bool IsRunning() const { return mRunning; }

    // StopAll on each track, then drops them.
    void ClearTracks();

private:
    std::vector<std::unique_ptr<Track>> mTracks;
    std::shared_ptr<KEvent::eDummy> mStart;
    std::shared_ptr<KEvent::eDummy> mEnd;
    bool mRunning = false;
};

} // namespace KAnim
