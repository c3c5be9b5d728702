#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TString.h"

namespace KEvent {
class Event;
}
namespace KQuestion {
class QBase;
}
namespace Quillory {
class KChild;
}

// The part of a show that is saved and restored: the board, the helps, the
// state and the answers so far. Fields are in the order the saved-game file
// stores them. The questions belong to the question database and the
// classmate to the cast; the record only points at them.
struct GameRecord {
    std::vector<KQuestion::QBase*> board; // ten questions, in board order
    KQuestion::QBase* finalQuestion = nullptr;
    int32_t saveCount = 1;
    int32_t peekCount = 1;
    int32_t copyCount = 1;
    int32_t state = 0;         // the state the next show step runs
    int32_t previousState = 0; // the state of the step that ran last
    KQuestion::QBase* currentQuestion = nullptr;
    Quillory::KChild* currentClassmate = nullptr;
    bool answerCorrect = false;
    bool helpUsed = false;
    bool saveUsed = false;
    bool peekUsed = false;
    bool copyUsed = false;
    bool lost = false;
    bool honours = false;
    bool finalOffered = false;
    int32_t correctCount = 0;
    bool noHelpsVoicePlayed = false;
    bool mainMenuButtonShown = false;
    bool continueSavedShow = false;

    // A new show's record: one of each help, no answers, state 0, no
    // questions chosen, every show flag cleared. The board, the last
    // verdict, the previous state and the menu button stay as they were.
    void Reset();
    bool HasHelpsLeft() const;
    // Board questions already played (their used flag set).
    int32_t CountPlayed() const;
    // A new board from the question database (grades 1 to 5, or 4, 4, 4,
    // 5, 5 with honours, two questions each) and the final question.
    void DealQuestions();
    // What the show has won so far (the money ladder).
    int32_t GetEarnings() const;
    // The money display for the right answers so far, over the stage: start
    // is set to the event that shows it; end is the event it runs after and
    // holds for (each may be empty). Returns the display's end event.
    std::shared_ptr<KEvent::Event> StartMoneyAnim(std::shared_ptr<KEvent::Event>& start,
                                                  const std::shared_ptr<KEvent::Event>& end) const;

    // The current player's saved show ("user:saves/" + SaveFilePath of the
    // player's name; GameRecordSave.cpp). Save replaces it whole, so a crash
    // mid-write leaves the old or the new file; ClearSaveFile leaves an empty
    // file (no saved show). Load reads it only when continueSavedShow is set,
    // and applies it only when every field is valid: otherwise it logs, keeps
    // the record as it was and returns false.
    void Save() const;
    bool Load();
    static void ClearSaveFile();
    // Whether the current player has a whole, well-formed saved show (its
    // question numbers and classmate are checked against the game by Load).
    static bool HasSavedShow();
};

// The saved show's file name for a player's name: lower case, without the
// characters ?\/:;'"(){}[]*<>| and with blanks as underscores. A name that
// leaves nothing, "." or "..", or more than 200 bytes gives "player " and 16
// hexadecimal digits of the name's hash instead.
TString SaveFilePath(const TString& userName);
