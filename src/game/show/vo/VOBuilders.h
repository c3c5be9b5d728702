#pragma once
#include <cstdint>
#include <memory>

namespace KEvent {
class Event;
}

// What the host says at each point of the show. Each builder reads the show
// controller's record, picks a line of the voice-over table (a fixed row, the
// next row of a category, or a random one) and returns the event that speaks
// it; the event ends when the line has been spoken. When there is no
// controller, no table, or nothing to say, the result is a dummy event that
// finishes at once, so callers can always chain on it. Main thread only.
namespace KVO {

using BuiltEvent = std::shared_ptr<KEvent::Event>;

// Around a question.
BuiltEvent VOQuestionIntro();
// The prompts while the player thinks (the question timer's ticks 5, 7, 9
// and 12).
BuiltEvent VOThinkingPrompt1();
BuiltEvent VOThinkingPrompt2();
BuiltEvent VOThinkingPrompt3();
BuiltEvent VOThinkingPrompt4();
// The reaction to the answer, by the time taken; prestige receives the
// line's Prestige value (the pause before the verdict, ms), 0 without one.
BuiltEvent VOAnswerReaction(int32_t& prestige);
BuiltEvent VOGradeComment();

// The course of the show.
BuiltEvent VOIntro();
BuiltEvent VOBoard();
BuiltEvent VOChooseClassmate();
BuiltEvent VOHalfway();
BuiltEvent VOWelcomeBack();
BuiltEvent VOResume();
BuiltEvent VOFinalOffer();
BuiltEvent VOFinalOfferAlt();
BuiltEvent VOFinalQuestion();
BuiltEvent VOWinner();
BuiltEvent VOFlunkOut();
BuiltEvent VOFlunkOutA();

// The helps.
BuiltEvent VOPeek(); // also marks the question as helped
BuiltEvent VOClassmateAnswer();
BuiltEvent VOHelpedAnswer();
BuiltEvent VOHelpedAnswerEnd();
BuiltEvent VOSaveAvailable();
BuiltEvent VOSaveGone();
BuiltEvent VOSaveUsed();

} // namespace KVO
