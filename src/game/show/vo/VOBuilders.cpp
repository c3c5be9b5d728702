#include "game/show/vo/VOBuilders.h"

#include <cstdlib>

#include "game/show/MTRandom.h"
#include "game/show/QuestionTimer.h"
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/question/Question.h"
#include "game/show/vo/VOIds.h"
#include "game/show/vo/VOTable.h"

namespace KVO {

namespace {

using namespace Id;

BuiltEvent Dummy()
{
    return KEvent::MakeDummy();
}

BuiltEvent PlayRow(VOTable& table, int32_t id)
{
    if (std::shared_ptr<KVOElem> row = table.FindById(id))
        return row->MakePlayEvent();
    return Dummy();
}

BuiltEvent PlayNext(VOTable& table, int32_t category)
{
    return table.PlayNextOfCategory(table.GetCategory(category));
}

bool RandOdd()
{
    return (std::rand() & 1) != 0;
}

// The first of two lines, then the second; the result ends with the second.
BuiltEvent PlayBoth(const BuiltEvent& first, const BuiltEvent& second)
{
    first->Then(second);
    return KEvent::MakeWrapper(first, second);
}

int32_t CurrentGrade(const GameRecord& record)
{
    return record.currentQuestion ? record.currentQuestion->grade : 0;
}

bool AtFinalQuestion(const GameRecord& record)
{
    return record.currentQuestion && record.currentQuestion == record.finalQuestion;
}

// Questions played, one more with honours once two have been played.
int32_t PlayedWithHonours(const GameRecord& record, int32_t played)
{
    return record.honours && played >= 2 ? played + 1 : played;
}

// The builders' common start: the table and the controller's record, or
// null when either is missing.
struct Show {
    VOTable* table = nullptr;
    GameRecord* record = nullptr;
    explicit operator bool() const { return table && record; }
};

Show GetShow()
{
    Show show;
    show.table = VOTable::Existing();
    if (ShowController* controller = ShowController::Existing())
        show.record = &controller->GetRecord();
    return show;
}

// The row chosen in the grade branch of a question's introduction: a row
// id (row > 0) or a category.
struct Pick {
    int32_t row = 0;
    int32_t category = 0;
};

Pick IntroByGrade(const GameRecord& record)
{
    const int32_t grade = CurrentGrade(record);
    if (grade >= 1 && grade <= 5)
        return {0, kCatGradeIntro + grade};
    if (grade == 6) {
        if (record.honours)
            return {RandOdd() ? kFinalQuestion : kFinalQuestionAlt, 0};
        return {0, RandOdd() ? kCatFinalIntroAlt : kCatFinalIntro};
    }
    return {0, kCatQuestionIntro};
}

Pick IntroByCount(const GameRecord& record)
{
    const int32_t n = record.CountPlayed() + (record.honours ? 1 : 0);
    if (n >= 1 && n <= 10)
        return {0, kCatQuestionIntro + n};
    if (n == 11) {
        if (record.honours)
            return {0, kCatFinalIntro};
        return {0, RandOdd() ? kCatFinalIntroAlt : kCatFinalIntro};
    }
    if (n == 12)
        return {RandOdd() ? kFinalQuestion : kFinalQuestionAlt, 0};
    return {0, kCatQuestionIntro};
}

// A prompt's first line from category, sometimes followed by a line of the
// follow-up category (when a draw in [0, 1) is at most followUp).
BuiltEvent PromptWithFollowUp(VOTable& table, int32_t category, double followUp)
{
    BuiltEvent first = PlayNext(table, category);
    if (MTRandom::Instance()->RandomDouble() <= followUp)
        return PlayBoth(first, PlayNext(table, kCatPromptFollowUp));
    return first;
}

} // namespace

BuiltEvent VOQuestionIntro()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const GameRecord& record = *show.record;
    MTRandom* random = MTRandom::Instance();
    bool byGrade = (random->NextWord() & 1) == 0;
    if (record.honours && byGrade)
        byGrade = (random->NextWord() & 1) == 0;
    const Pick pick = byGrade ? IntroByGrade(record) : IntroByCount(record);
    if (pick.row > 0)
        return PlayRow(*show.table, pick.row);
    return PlayNext(*show.table, pick.category);
}

BuiltEvent VOThinkingPrompt1()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const double u = double(MTRandom::Instance()->NextWord()) / 4294967296.0;
    int32_t category = kCatPromptAny;
    if (u < 0.33)
        category = kCatPromptGrade + CurrentGrade(*show.record);
    else if (u < 0.67)
        category = kCatPromptFirst;
    return PromptWithFollowUp(*show.table, category, 0.1);
}

BuiltEvent VOThinkingPrompt2()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const bool copyLeft = show.record->copyCount > 0;
    const bool peekLeft = show.record->peekCount > 0;
    if (copyLeft && peekLeft)
        return PlayNext(*show.table, kCatPromptBoth);
    if (!copyLeft && !peekLeft)
        return Dummy();
    if (RandOdd())
        return PlayNext(*show.table, copyLeft ? kCatPromptCopy : kCatPromptPeek);
    return PlayNext(*show.table, kCatPromptHelps);
}

BuiltEvent VOThinkingPrompt3()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    static constexpr int32_t kRows[] = {kPrompt3At2, kPrompt3At3, kPrompt3At4, kPrompt3At5, kPrompt3At6,
                                        kPrompt3At7, kPrompt3At8, kPrompt3At9, kPrompt3At10, kPrompt3At11};
    const int32_t n = PlayedWithHonours(*show.record, show.record->CountPlayed());
    if (n < 2 || n > 11)
        return Dummy();
    return PlayRow(*show.table, kRows[n - 2]);
}

BuiltEvent VOThinkingPrompt4()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const bool even = (MTRandom::Instance()->NextWord() & 1) == 0;
    return PromptWithFollowUp(*show.table, even ? kCatPromptLast : kCatPromptAny, 0.6);
}

BuiltEvent VOAnswerReaction(int32_t& prestige)
{
    prestige = 0;
    Show show = GetShow();
    if (!show)
        return Dummy();
    const GameRecord& record = *show.record;
    int32_t elapsed = 11000;
    if (const std::shared_ptr<Quillory::QuestionTimer>& timer = ShowController::Existing()->GetQuestionTimer())
        elapsed = timer->GetElapsed();
    const int32_t band = elapsed < 10000 ? 0 : elapsed < 25000 ? 1 : 2;
    static constexpr int32_t kRight[] = {kCatRightQuick, kCatRightMiddle, kCatRightSlow};
    static constexpr int32_t kWrong[] = {kCatWrongQuick, kCatWrongMiddle, kCatWrongSlow};
    int32_t category = record.answerCorrect ? kRight[band] : kWrong[band];
    if (record.helpUsed)
        category = kCatHelpedAnswer;
    std::shared_ptr<KVOElem> row = show.table->RandomOfCategory(show.table->GetCategory(category));
    if (!row)
        return Dummy(); // an empty category says nothing
    prestige = row->Prestige;
    return row->MakePlayEvent();
}

BuiltEvent VOGradeComment()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const GameRecord& record = *show.record;
    double chance = 0.8;
    switch (CurrentGrade(record)) {
    case 1:
    case 2: chance = 0.1; break;
    case 3: chance = 0.3; break;
    case 4: chance = 0.4; break;
    default: break;
    }
    if (MTRandom::Instance()->RandomDouble() < chance && !record.helpUsed)
        return PlayNext(*show.table, record.answerCorrect ? kCatGradeRight : kCatGradeWrong);
    return Dummy();
}

BuiltEvent VOIntro()
{
    Show show = GetShow();
    return show ? PlayRow(*show.table, kIntro) : Dummy();
}

BuiltEvent VOBoard()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const GameRecord& record = *show.record;
    VOTable& table = *show.table;
    const int32_t played = record.CountPlayed();
    if (played == 0)
        return PlayRow(table, kBoardFirst);
    if (played == 10)
        return record.honours ? Dummy() : PlayNext(table, kCatFinalOffer);
    BuiltEvent board = PlayNext(table, kCatBoard);
    if (std::rand() % 4 != 0)
        return board;
    // Now and then a remark too, never the one made last time while the
    // category has another within nine tries.
    ShowController* controller = ShowController::Existing();
    VOCategory& remarks = table.GetCategory(kCatBoardRemark);
    std::shared_ptr<KVOElem> remark = table.NextOfCategory(remarks);
    for (int tries = 0; tries < 8 && remark && remark->VOid == controller->GetLastBoardRemark(); ++tries)
        remark = table.NextOfCategory(remarks);
    if (!remark)
        return board;
    controller->SetLastBoardRemark(remark->VOid);
    return PlayBoth(board, remark->MakePlayEvent());
}

BuiltEvent VOChooseClassmate()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    switch (show.record->CountPlayed()) {
    case 0: return PlayRow(*show.table, kChooseFirst);
    case 2: return PlayRow(*show.table, kChooseAfterTwo);
    case 8: return PlayRow(*show.table, kChooseAfterEight);
    default: break;
    }
    if (std::rand() % 5 != 0)
        return PlayNext(*show.table, kCatChooseClassmate);
    return PlayRow(*show.table, kChooseAny);
}

BuiltEvent VOHalfway()
{
    Show show = GetShow();
    if (!show || show.record->honours)
        return Dummy();
    return PlayRow(*show.table, kHalfway);
}

BuiltEvent VOWelcomeBack()
{
    // Said when a saved show comes back: the table alone is enough.
    VOTable* table = VOTable::Existing();
    return table ? PlayNext(*table, kCatWelcomeBack) : Dummy();
}

BuiltEvent VOResume()
{
    Show show = GetShow();
    return show ? PlayRow(*show.table, kResume) : Dummy();
}

BuiltEvent VOFinalOffer()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatFinalOffer) : Dummy();
}

BuiltEvent VOFinalOfferAlt()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    return PlayRow(*show.table, RandOdd() ? kFinalOfferAlt : kFinalQuestionAlt);
}

BuiltEvent VOFinalQuestion()
{
    Show show = GetShow();
    if (!show || !AtFinalQuestion(*show.record))
        return Dummy();
    if (RandOdd())
        return PlayRow(*show.table, kFinalQuestion);
    if (show.record->honours)
        return PlayRow(*show.table, kFinalQuestionAlt);
    return PlayNext(*show.table, kCatFinalIntro);
}

BuiltEvent VOWinner()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatWinner) : Dummy();
}

BuiltEvent VOFlunkOut()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    const GameRecord& record = *show.record;
    const int32_t played = record.CountPlayed();
    if (record.lost) {
        if (played < 6)
            return Dummy();
        return PlayRow(*show.table, record.honours ? kOut7 : kOut6);
    }
    // Rows by questions played (the final offer counting as one more).
    static constexpr int32_t kRows[] = {kOut2, kOut3, kOut4, kOut5, kOut6, kOut7,
                                        kOut8, kOut9, kOut10, kOut11, kOut12, kOut12};
    const int32_t n = PlayedWithHonours(record, played + (record.finalOffered ? 1 : 0));
    if (n < 2 || n > 13)
        return Dummy();
    return PlayRow(*show.table, kRows[n - 2]);
}

BuiltEvent VOFlunkOutA()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatOutEnding) : Dummy();
}

BuiltEvent VOPeek()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    show.record->helpUsed = true;
    return PlayNext(*show.table, kCatPeek);
}

BuiltEvent VOClassmateAnswer()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatClassmateAnswer) : Dummy();
}

BuiltEvent VOHelpedAnswer()
{
    Show show = GetShow();
    if (!show)
        return Dummy();
    if (show.record->copyUsed && std::rand() % 4 == 0)
        return PlayRow(*show.table, kCopiedRemark);
    return PlayNext(*show.table, kCatHelpedAnswer);
}

BuiltEvent VOHelpedAnswerEnd()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatHelpedAnswerEnd) : Dummy();
}

BuiltEvent VOSaveAvailable()
{
    Show show = GetShow();
    if (!show || show.record->saveCount == 0 || AtFinalQuestion(*show.record))
        return Dummy();
    return PlayNext(*show.table, kCatSaveAvailable);
}

BuiltEvent VOSaveGone()
{
    Show show = GetShow();
    if (!show || show.record->saveCount >= 1 || AtFinalQuestion(*show.record))
        return Dummy();
    return PlayNext(*show.table, kCatSaveGone);
}

BuiltEvent VOSaveUsed()
{
    Show show = GetShow();
    return show ? PlayNext(*show.table, kCatSaveUsed) : Dummy();
}

} // namespace KVO
