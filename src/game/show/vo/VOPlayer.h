#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/stage/StageLinks.h"

class TWindow;

namespace KEvent {
class Event;
}

namespace KVO {

class KVOElem;

// Plays voice-over lines as chains of show events: the line's sound in the
// voice group, the host's talking when the host speaks it, and, when the
// current user wants subtitles, one SubTitle window per page shown under
// the subtitle parent (the stage) for the page's time. A line waits for the
// one before it. While it lives the player is the stage's subtitle host.
// Made on first use. Main thread only.
class VOPlayer : public KScene::SubtitleHost {
public:
    static constexpr int32_t kVoiceGroup = 3000;
    // The priority of the host's talking animation.
    static constexpr int32_t kTalkPriority = 2;

    static VOPlayer* Instance();
    // The player when one exists, else null (never makes one).
    static VOPlayer* Existing();
    // Skips the lines still running (their subtitle windows close), then
    // deletes the player.
    static void Destroy();

    ~VOPlayer() override;
    VOPlayer(const VOPlayer&) = delete;
    VOPlayer& operator=(const VOPlayer&) = delete;

    // Where subtitles are shown; null: no lines play. A parent that is
    // replaced or cleared first ends the lines shown under it.
    void SetSubtitleParent(TWindow* parent) override;
    TWindow* GetSubtitleParent() const override { return mParent; }

    // The event that plays the row (registered with the event manager; the
    // caller queues nothing). A dummy without a parent or row.
    std::shared_ptr<KEvent::Event> PlayElem(const std::shared_ptr<KVOElem>& row);
    // Skips every line not yet finished and forgets them all.
    void SkipAll();

    // The last line made (it may have finished), or empty.
    const std::shared_ptr<KEvent::Event>& GetCurrent() const { return mCurrent; }
    // Lines made and not yet seen finished.
    const std::vector<std::shared_ptr<KEvent::Event>>& GetEvents() const { return mEvents; }
    // Whether the last line was made with subtitles wanted.
    bool GetUseSubtitles() const { return mUseSubtitles; }

private:
    VOPlayer();
    std::shared_ptr<KEvent::Event> MakePlainLine(const KVOElem& row);
    std::shared_ptr<KEvent::Event> MakeSubtitledLine(const KVOElem& row);
    // current's end before first, when current is still running.
    void AfterCurrent(const std::shared_ptr<KEvent::Event>& first) const;

    bool mUseSubtitles = true;
    std::shared_ptr<KEvent::Event> mCurrent;
    std::vector<std::shared_ptr<KEvent::Event>> mEvents;
    TWindow* mParent = nullptr; // not owned
};

} // namespace KVO
