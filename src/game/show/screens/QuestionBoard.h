#pragma once
#include <cstdint>
#include <memory>

#include "ui/Liveness.h"
#include "ui/Window.h"

namespace KEvent {
class Event;
}

namespace KQuestion {

// The board of the ten dealt questions, built by "scripts/QuestionBoard.lua"
// (buttons "btn_q0".."btn_q9", labels "txt_q0".."txt_q9" with their shadow
// copies). Slot i is the show record's board question i. Picking a slot
// makes it the current question and closes the board once the host's
// current line is over. Main thread only.
class QuestionBoard : public TWindow {
public:
    static constexpr int32_t kSlots = 10;
    static constexpr const char* kScript = "scripts/QuestionBoard.lua";

    // Full screen (800 x 600), built by its script, then refreshed.
    QuestionBoard();
    ~QuestionBoard() override;

    // Labels each slot with its question's grade and subject; played
    // questions get their button hidden and their label grey. Slots past
    // the board keep what the script gave them.
    void Refresh();
    // A button press "btn_q0".."btn_q9" picks that slot (handled); any other
    // message is not handled.
    bool OnMessage(TMessage* message) override;
    // The first pick only: the slot's question becomes current, the board
    // closes after the voice-over player's running line (at the next event
    // pass when none runs), the slot is greyed and the other buttons stop
    // taking clicks. A slot without a question is logged and ignored.
    void PickQuestion(int32_t slot);
    // The same, closing after the given event (a finished or empty one
    // closes at the next pass).
    void PickQuestion(int32_t slot, const std::shared_ptr<KEvent::Event>& after);

    bool IsPicked() const { return mPicked; }

private:
    void GreySlot(int32_t slot);
    void StopClicks(int32_t picked);

    bool mPicked = false;
    TLiveness mLiveness;
};

} // namespace KQuestion
