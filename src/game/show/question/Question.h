#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/show/event/ShowLinks.h"
#include "platform/TString.h"

class MTRandom;
class TWindow;
class TXmlNode;

namespace KQuestion {

// The answer window a question opens, by the kind of its record.
enum class AnswerWindowKind { kMult, kVoiceOver, kTrueFalse, kOpenAnswer, kCount };

// Builds the answer window of a record (owned by the caller), or null. The
// answer windows install one maker per kind; a kind without one makes no
// window (logged).
using AnswerWindowMaker = TWindow* (*)(class QBase& question);
void SetAnswerWindowMaker(AnswerWindowKind kind, AnswerWindowMaker maker);

// Longest text a field may hold; an element with a longer one is refused.
constexpr uint32_t kMaxFieldLength = 4096;

// One question as read from a "question" element: its fields are the
// texts of child elements of the same names. Texts shown on screen (subject,
// question, answers, explanation) are plain text: a character the text
// markup would read ('<', '>' or a backslash) is escaped with a backslash.
class QBase : public KEvent::QuestionView {
public:
    ~QBase() override = default;
    QBase(const QBase&) = delete;
    QBase& operator=(const QBase&) = delete;

    // A new answer window for this record; null for the base.
    TWindow* MakeWindow() override;
    TString GetQuestionText() const override { return question; }
    TString GetCorrect() const { return correct; }
    // One of the non-empty wrong answers, in file order, at NextWord() modulo
    // their count; empty (nothing drawn) when there is none.
    TString GetWrongAnswer(MTRandom& random) const;
    TString GetWrongAnswer() const;
    // "%d%s Grade %s": grade (5 for the final questions), its ordinal suffix
    // and the subject.
    void GetLabel(TString& label) const;

    bool used = false;
    int32_t number = 0;
    int32_t type = 0;
    int32_t grade = 0;
    TString subject;
    TString question;
    TString correct;
    TString incorrect1, incorrect2, incorrect3;
    TString alternate1, alternate2, alternate3;
    TString explanation;
    TString dataField;
    TString vo;
    TString explanation_vo;

    // Reads the fields from the element's children; false (logged) when a
    // text is longer than kMaxFieldLength.
    bool Read(const TXmlNode& element);

protected:
    QBase() = default;
    TWindow* MakeWindowOfKind(AnswerWindowKind kind);
};

// Multiple choice: correct and incorrect1 always, then incorrect2 and
// incorrect3 when not empty, in the game's shuffled order.
class QMult : public QBase {
public:
    TWindow* MakeWindow() override;

    // The options from the answer fields, shuffled.
    void MakeAnswers(MTRandom& random);

    int32_t answerCount = 0;
    std::vector<TString> answers;
};

// Multiple choice with a spoken question (vo names its voice-over row).
class QVoiceOver : public QMult {
public:
    TWindow* MakeWindow() override;
};

// True or false: correct is lower-cased; only "true" means true.
class QTrueFalse : public QBase {
public:
    TWindow* MakeWindow() override;

    bool answerIsTrue = false;
};

// Typed answer: correct is lower-cased, the alternates keep their case.
class QOpenAnswer : public QBase {
public:
    TWindow* MakeWindow() override;
};

// The record for a "question" element by its "type": 1 multiple choice, 2
// true or false, 3 picture (true or false when it has exactly two answers,
// else multiple choice), 5 voice-over, 6 typed answer. Null, with a log
// line, for any other type, no "type" child, a grade outside 0 to 6, an
// empty correct answer or an overlong field.
std::unique_ptr<QBase> CreateQuestion(const TXmlNode& element, MTRandom& random);
std::unique_ptr<QBase> CreateQuestion(const TXmlNode& element);

// atoi's reading of a number (leading blanks, a sign, digits; 0 without
// digits), held to the int32 range instead of overflowing.
int32_t ParseQuestionNumber(const TString& text);

} // namespace KQuestion
