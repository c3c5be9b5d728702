#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"

class ShowController;
class TWindow;
struct GameRecord;
namespace KEvent {
class Event;
}

// Small pieces the show's states share.
namespace KShow {

// The show's states by number.
enum ShowState : int32_t {
    kShowStart = 0,
    kIntroduction = 1,
    kChooseClassmate = 2,
    kQuestionBoard = 3,
    kQuestion = 4,
    kPeekAnswer = 5,
    kCopyAnswer = 6,
    kAnswerGiven = 7,
    kVerdict = 8,
    kRightAnswer = 9,
    kWrongAnswer = 10,
    kExplanation = 11,
    kSaveHelp = 12,
    kNextQuestion = 13,
    kFinalOffer = 14,
    kFinalQuestion = 15,
    kFinalVerdict = 16,
    kFlunkOut = 17,
    kDropOut = 18,
    kWin = 19,
    kShowEnd = 20,
};

// The group the show's sounds and its music are played in.
constexpr int32_t kShowSoundGroup = 1000;
// The group of a question's explanation voice-over.
constexpr int32_t kExplanationGroup = 3000;

// The voice-over player's line when one is still running, else a dummy.
std::shared_ptr<KEvent::Event> CurrentVoiceOver();
// The voice-over row's event; a dummy without a table or row.
std::shared_ptr<KEvent::Event> PlayVORow(int32_t id);
// The string table's text of the label with up to two substitutions
// ("#####" without a table or label).
TString LabelText(const char* label, const TString& first = TString(), const TString& second = TString());
// The text pictured on a chalkboard and swept onto both main screens: the
// transition's event.
std::shared_ptr<KEvent::Event> MakeScreenTransition(const TString& text);
// The screen transition of the state parts for the text; a dummy without
// one.
std::shared_ptr<KEvent::Event> TextTransition(const TString& text);
// The skip button of the voice-over goes, when there is one.
void HideSkipVOButton();
// The current classmate's name and answer to the current question as the
// screens show it ("questionReveal"); returns whether the answer is right.
// Without a classmate or question: a wrong answer and an empty text.
bool ClassmateAnswerText(ShowController& show, TString& text);
// Where the states show their windows: the stage window, else the top
// modal window; null (logged) with neither.
TWindow* WindowParent(ShowController& show);
// Shows the window under the parent, or deletes it (logged) when there is
// nowhere to show it: the window the caller gets back is then null.
TWindow* PlaceableWindow(ShowController& show, TWindow* window);
// The question timer stops, when there is one.
void StopQuestionTimer(ShowController& show);
// The current question's own event (it ends when its answer window has
// closed) and, in reveal, the event that brings it onto the screens;
// dummies (logged) when either cannot be made.
std::shared_ptr<KEvent::Event> QuestionEvents(GameRecord& record, std::shared_ptr<KEvent::Event>& reveal);
// Whether a show is running. A step that needs one and finds none logs it
// and puts the record back at the start (the next show begins anew).
bool ShowIsRunning(ShowController& show, const char* step);
// An amount as the banners show it: "$" and the digits, a comma every three
// from the right ("$1,000,000", "$500"). A negative amount is logged and
// shown as "$0".
TString DollarText(int32_t amount);

} // namespace KShow
