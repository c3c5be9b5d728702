#pragma once
#include <memory>

#include "platform/TString.h"

class TWindow;
namespace KEvent {
class Event;
}
namespace KQuestion {
class QBase;
}

// The show's states (0 to 20) as steps of the show controller.
namespace KShow {

// The pieces of the studio the show's states build on that live elsewhere:
// the windows the player answers through, the studio-screen chains and the
// banner at a show's end. The studio's own are in place from the start;
// tests put in their own. A missing piece is logged where it is needed and
// stands aside: no window (its wait ends at once) or a dummy event, so
// every chain completes.
struct ShowStateParts {
    // The classmate choice and the question board (owned by the caller).
    TWindow* (*makeClassmateWindow)() = nullptr;
    TWindow* (*makeQuestionBoard)() = nullptr;
    // The question's event (finishes when its answer window has closed);
    // reveal receives the event that brings the question onto the screens.
    std::shared_ptr<KEvent::Event> (*makeRevealChain)(KQuestion::QBase* question,
                                                      std::shared_ptr<KEvent::Event>& reveal) = nullptr;
    // A screen transition that brings the text onto the studio screens.
    std::shared_ptr<KEvent::Event> (*makeTextTransition)(const TString& text) = nullptr;
    // Hides the skip button of the voice-over, when there is one.
    void (*hideSkipVOButton)() = nullptr;
    // The offer of the final question (owned by the caller): its continue
    // button moves the show on, its drop-out ends it.
    TWindow* (*makeContinueWindow)() = nullptr;
    // The flunk-out or drop-out banner (its animation file) with the money
    // won written on it; the event ends with the banner.
    std::shared_ptr<KEvent::Event> (*makeMoneyBanner)(const TString& file, const TString& text) = nullptr;
};

// Registers the steps of states 0 to 20 with the show controller; the
// game's main function calls it once at start-up.
void RegisterShowStates();

// The parts the steps use from now on; StudioStateParts gives the studio's.
void SetShowStateParts(const ShowStateParts& parts);
ShowStateParts StudioStateParts();
const ShowStateParts& GetShowStateParts();

} // namespace KShow
