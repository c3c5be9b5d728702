#include "game/show/GameRecord.h"

#include "game/show/MoneyLadder.h"
#include "game/show/question/QuestionDB.h"
#include "game/stage/anim/MoneyAnim.h"

void GameRecord::Reset()
{
    saveCount = peekCount = copyCount = 1;
    correctCount = 0;
    state = 0;
    finalQuestion = nullptr;
    currentClassmate = nullptr;
    currentQuestion = nullptr;
    continueSavedShow = false;
    copyUsed = peekUsed = saveUsed = helpUsed = false;
    lost = false;
    noHelpsVoicePlayed = false;
    honours = false;
    finalOffered = false;
}

bool GameRecord::HasHelpsLeft() const
{
    return copyCount > 0 || peekCount > 0 || saveCount > 0;
}

int32_t GameRecord::CountPlayed() const
{
    int32_t played = 0;
    for (const KQuestion::QBase* question : board)
        if (question && question->used)
            ++played;
    return played;
}

void GameRecord::DealQuestions()
{
    board.clear();
    finalQuestion = KQuestion::QuestionDB::Instance()->Deal(board, honours);
}

int32_t GameRecord::GetEarnings() const
{
    return ShowEarnings(answerCorrect, correctCount, honours);
}

std::shared_ptr<KEvent::Event> GameRecord::StartMoneyAnim(std::shared_ptr<KEvent::Event>& start,
                                                          const std::shared_ptr<KEvent::Event>& end) const
{
    return KAnim::MakeMoneyAnim(start, correctCount, end, end, honours, KAnim::GetMoneyDisplayParent());
}
