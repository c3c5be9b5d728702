#pragma once
#include <memory>

#include "game/show/answer/QWMult.h"

namespace KEvent {
class Event;
}

namespace KQuestion {

class QVoiceOver;

// Multiple choice with a spoken question: the host reads it when the window
// is shown and again on "btn_replayVO", cutting short a reading still going.
class QWVO : public QWMult {
public:
    explicit QWVO(QVoiceOver& question);
    ~QWVO() override;

    const char* GetClassName() const override { return "QWVO"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || QWMult::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    bool OnMessage(TMessage* message) override;

    // Skips the reading still going, then starts the question's line.
    void PlayVoiceOver();
    const std::shared_ptr<KEvent::Event>& GetVoiceOverEvent() const { return mVoiceOver; }

private:
    QWVO();
    std::shared_ptr<KEvent::Event> mVoiceOver;
};

} // namespace KQuestion
