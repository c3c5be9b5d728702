#pragma once
#include <memory>

#include "game/show/event/Event.h"

namespace KEvent {

class QuestionView;

// Runs one show step and finishes.
class eAdvanceScript : public Event {
public:
    eAdvanceScript();
    void Start() override;
};
std::shared_ptr<eAdvanceScript> MakeAdvanceScript();

// Puts a text, or a question, on the studio screens and finishes.
class eUpdateMainScreens : public Event {
public:
    explicit eUpdateMainScreens(const TString& text);
    explicit eUpdateMainScreens(QuestionView* question);
    void Start() override;

private:
    TString mText;
    QuestionView* mQuestion = nullptr; // not owned
};
std::shared_ptr<eUpdateMainScreens> MakeUpdateMainScreens(const TString& text);
std::shared_ptr<eUpdateMainScreens> MakeUpdateMainScreens(QuestionView* question);

// Puts the characters back into their poses: the current classmate
// stands, the five sit, the host stands at a random place (1 to 3) while
// two to nine board questions have been played, else at place 1.
class eResetModelPos : public Event {
public:
    eResetModelPos();
    void Start() override;
};
std::shared_ptr<eResetModelPos> MakeResetModelPos();

} // namespace KEvent
